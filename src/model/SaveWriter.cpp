#include "model/SaveWriter.h"

#include "model/BackgroundWork.h"
#include "model/NookCodec.h"
#include "platform/AtomicFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr auto kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QByteArray hashOf(const DataFile::Contents& contents) {
    if (contents.state != DataFile::Contents::State::Read)
        return {};
    return QCryptographicHash::hash(contents.bytes, QCryptographicHash::Sha256);
}

} // namespace

SaveWriter::Version SaveWriter::versionOf(const DataFile::Contents& contents) {
    return {contents.stamp, hashOf(contents)};
}

SaveWriter::SaveWriter(QString path, Version known, Reporter report)
    : m_path(std::move(path))
    , m_report(std::move(report))
    , m_known(std::move(known)) {}

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
        startThread();
    }
    m_wake.notify_one();
}

// Started by the first job: a process that changes nothing and is never asked to look at
// its file keeps no thread for it.
void SaveWriter::startThread() {
    if (!m_thread.joinable())
        m_thread = std::thread([this] {
            BackgroundWork::yieldToMainThread();
            run();
        });
}

void SaveWriter::keepAside(const QByteArray& bytes) {
    std::lock_guard lock(m_mutex);
    m_aside = bytes;
}

void SaveWriter::check() {
    {
        std::lock_guard lock(m_mutex);
        m_checkWanted = true;
        startThread();
    }
    m_wake.notify_one();
}

void SaveWriter::acknowledge(quint64 number) {
    {
        std::lock_guard lock(m_mutex);
        m_acknowledged = std::max(m_acknowledged, number);
        m_pending.reset(); // made before the outside version was taken in: the owner hands in what follows
        startThread();
    }
    m_wake.notify_one();
}

void SaveWriter::waitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_busy && (held() || (!m_pending && !m_checkWanted)); });
}

bool SaveWriter::hasWork() {
    std::lock_guard lock(m_mutex);
    return m_busy || m_pending || m_checkWanted || held();
}

void SaveWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || (!held() && (m_pending || m_checkWanted)); });
        if (held() || (!m_pending && !m_checkWanted))
            return; // stopping, and the last state is written (or waits for a version nobody takes in now)
        // A write looks at the file first anyway.
        m_checkWanted = false;
        const std::optional<QList<NookGroup>> groups = std::move(m_pending);
        m_pending.reset();
        const quint64 generation = m_pendingGeneration;
        m_busy = true;
        lock.unlock();

        if (groups) {
            write(*groups, generation);
        } else if (Report found; !isKnown(m_path, &found)) {
            reportOutside(std::move(found));
        }

        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

bool SaveWriter::isKnown(const QString& path, Report* found) {
    const std::optional<AtomicFile::Stamp> stamp = AtomicFile::stampOf(path);
    if (!stamp || stamp == m_known.stamp)
        return true; // nothing there to lose, or the version known
    DataFile::Contents contents = DataFile::read(path);
    if (contents.state == DataFile::Contents::State::Missing)
        return true;
    // A touch, or a copy of the same bytes, is no change.
    if (contents.state == DataFile::Contents::State::Read && hashOf(contents) == m_known.hash) {
        m_known.stamp = contents.stamp;
        return true;
    }
    found->found = std::move(contents);
    return false;
}

void SaveWriter::reportOutside(Report found) {
    found.kind = Report::Kind::Outside;
    m_known = versionOf(found.found);
    // Read as the loading reads it.
    if (found.found.state == DataFile::Contents::State::Read)
        found.foundGroups = NookCodec::decode(found.found.bytes, &found.failure, &found.renewed);
    else
        found.failure = found.found.reason;
    {
        std::lock_guard lock(m_mutex);
        found.outsideNumber = ++m_outside;
    }
    m_report(std::move(found));
}

void SaveWriter::write(const QList<NookGroup>& groups, quint64 generation) {
    Report report;
    report.generation = generation;
    std::optional<QByteArray> aside;
    {
        std::lock_guard lock(m_mutex);
        aside = m_aside;
    }
    // What is kept aside is on disk before anything replaces the file.
    if (aside) {
        const QString name = DataFile::unusedName(DataFile::conflictName(m_path));
        if (!AtomicFile::write(name, *aside, kPrivate, &report.failure)) {
            report.kind = Report::Kind::Failed;
            if (report.failure.isEmpty())
                report.failure = QStringLiteral("%1: the write failed").arg(name);
            m_report(std::move(report));
            return;
        }
        report.keptAside = name;
        std::lock_guard lock(m_mutex);
        if (m_aside == aside)
            m_aside.reset();
    }

    const QByteArray bytes = NookCodec::encode(groups);
    Report found;
    found.keptAside = report.keptAside;
    AtomicFile::Guard guard;
    guard.expected = [&](const QString& path) { return isKnown(path, &found); };
    guard.keep = [&](const QString& path) {
        // Beside the file it was renamed from: a rename stays on its file system.
        const QString name = DataFile::unusedName(DataFile::conflictName(
            QFileInfo(path).absolutePath() + QLatin1Char('/') + QFileInfo(m_path).fileName()));
        if (QFile::rename(path, name))
            found.keptAside = name;
    };
    QString failure;
    const bool written = AtomicFile::write(m_path, bytes, kPrivate, &failure, &guard);
    if (guard.refused) {
        reportOutside(std::move(found));
        return;
    }
    if (!written) {
        report.kind = Report::Kind::Failed;
        report.failure = failure.isEmpty() ? QStringLiteral("%1: the write failed").arg(m_path) : failure;
        m_report(std::move(report));
        return;
    }
    m_known = {guard.written, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)};
    report.groups = groups;
    report.keptAside = found.keptAside;
    m_report(std::move(report));
}
