#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Tells when the data file may have changed on disk: its folder (sync tools and git replace
// the file by a rename), the file itself (an editor may write it in place) and, where the
// file or its folder is a symlink, the folder of the file it leads to. Through inotify
// (QFileSystemWatcher): nothing runs while nothing changes. Our own writes are told as
// well; telling them apart is the writer's job.
class DataFileWatcher : public QObject {
    Q_OBJECT
public:
    // How long a burst of events is let settle before it is told.
    static constexpr int kSettleMs = 150;

    explicit DataFileWatcher(QString path, QObject* parent = nullptr);

signals:
    void changed();

private:
    void watch();

    const QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
