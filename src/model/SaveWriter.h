#pragma once

#include "model/NookGroup.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Writes the data file on a thread of its own, so a large list or a slow disk never
// holds up the panel. Only the latest state handed in is written: a state that is
// replaced before its turn is skipped, never written after a newer one. Destroying the
// writer waits for the last write.
class SaveWriter {
public:
    // Called on the writer's thread after each write, with an empty reason on success and the
    // generation of the state it wrote.
    using Report = std::function<void(const QString& failure, quint64 generation)>;

    SaveWriter(QString path, Report report);
    ~SaveWriter();
    SaveWriter(const SaveWriter&) = delete;
    SaveWriter& operator=(const SaveWriter&) = delete;

    // `generation` numbers the states: a later one includes every change of the earlier ones.
    void submit(const QList<NookGroup>& groups, quint64 generation);
    // Blocks until everything submitted so far is on disk (or has failed).
    void waitUntilWritten();

private:
    void run();

    const QString m_path;
    const Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QList<NookGroup>> m_pending;
    quint64 m_pendingGeneration = 0;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread; // from the first submit on
};
