#include "model/SaveWriter.h"

#include "model/NookCodec.h"
#include "platform/AtomicFile.h"

SaveWriter::SaveWriter(QString path, Report report)
    : m_path(std::move(path))
    , m_report(std::move(report)) {}

SaveWriter::~SaveWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void SaveWriter::submit(const QList<NookGroup>& groups, quint64 generation) {
    {
        std::lock_guard lock(m_mutex);
        m_pending = groups; // shares the data; the store's next change detaches from it
        m_pendingGeneration = generation;
        // Started by the first write: a process that changes nothing keeps no thread for it.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void SaveWriter::waitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
}

void SaveWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return; // stopping, and the last state is written
        const QList<NookGroup> groups = std::move(*m_pending);
        const quint64 generation = m_pendingGeneration;
        m_pending.reset();
        m_busy = true;
        lock.unlock();

        QString failure;
        if (!AtomicFile::write(m_path, NookCodec::encode(groups),
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner, &failure) &&
            failure.isEmpty())
            failure = QStringLiteral("%1: the write failed").arg(m_path);
        m_report(failure, generation);

        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}
