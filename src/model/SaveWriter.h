#pragma once

#include "model/DataFile.h"
#include "model/NookGroup.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// The one thread that touches the data file after loading: it writes it, so a large list
// or a slow disk never holds up the panel, and it looks whether someone else changed it.
// Only the latest state handed in is written: a state that is replaced before its turn is
// skipped, never written after a newer one. Destroying the writer waits for the last write.
//
// A file others may change (a sync tool, a dotfiles pull) is replaced only while it is the
// version this writer last wrote or was told of: by its stamp, and where the stamp moved,
// by its bytes, so a touch is no change and our own writes are never taken for another's.
// Another version is reported, read as the loading reads it, and nothing is written until
// the owner has taken it in (acknowledge()).
class SaveWriter {
public:
    // What the writer tells, on its thread.
    struct Report {
        enum class Kind { Written, Failed, Outside };
        Kind kind = Kind::Written;
        quint64 generation = 0;  // Written, Failed: the state concerned
        QString failure;         // Failed
        QList<NookGroup> groups; // Written: what the file holds now
        QString keptAside;       // where a version of the file that is not the one loaded was kept
        // Outside: the file as found, and its nooks where it could be read.
        DataFile::Contents found;
        std::optional<QList<NookGroup>> foundGroups;
        int renewed = 0; // ids given anew in them
        quint64 outsideNumber = 0;
    };
    using Reporter = std::function<void(Report)>;

    // A version of the file, as far as telling versions apart goes.
    struct Version {
        std::optional<AtomicFile::Stamp> stamp;
        QByteArray hash; // of the bytes
    };
    // Any thread: reading the whole file, it is worth taking off the main thread.
    static Version versionOf(const DataFile::Contents& contents);

    // `known`: the version of the file the owner loaded (nothing when there was none).
    SaveWriter(QString path, Version known, Reporter report);
    ~SaveWriter();
    SaveWriter(const SaveWriter&) = delete;
    SaveWriter& operator=(const SaveWriter&) = delete;

    // `generation` numbers the states: a later one includes every change of the earlier ones.
    void submit(const QList<NookGroup>& groups, quint64 generation);
    // Before the next write: keeps these bytes beside the file as "<name>.conflict-<date>" (see
    // DataFile::conflictName). Nothing is written over the file until they are on disk.
    void keepAside(const QByteArray& bytes);
    // Looks whether the file is still the version known, soon, on the writer's thread.
    void check();
    // The outside version `number` is taken in; writing goes on.
    void acknowledge(quint64 number);
    // Blocks until everything submitted so far is on disk (or failed), and the checks asked
    // for are done, or until writing waits for an outside version to be taken in.
    void waitUntilWritten();
    // A state waits, or an outside version does.
    bool hasWork();

private:
    void run();
    void startThread(); // with m_mutex held
    bool held() const { return m_acknowledged < m_outside; }
    // On the writer's thread: whether `path` holds the version known; what it holds otherwise.
    bool isKnown(const QString& path, Report* found);
    void write(const QList<NookGroup>& groups, quint64 generation);
    void reportOutside(Report found);

    const QString m_path;
    const Reporter m_report;
    Version m_known; // the writer's thread only
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QList<NookGroup>> m_pending;
    quint64 m_pendingGeneration = 0;
    std::optional<QByteArray> m_aside;
    bool m_checkWanted = false;
    quint64 m_outside = 0;      // outside versions found
    quint64 m_acknowledged = 0; // and taken in
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread; // from the first submit on
};
