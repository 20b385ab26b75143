#include "model/DataFileWatcher.h"

#include <QFileInfo>

DataFileWatcher::DataFileWatcher(QString path, QObject* parent)
    : QObject(parent)
    , m_path(std::move(path)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, [this] {
        watch();
        emit changed();
    });
    watch();
}

// What to watch follows the file: a rename replaced the file watched, a symlink may lead elsewhere now.
void DataFileWatcher::watch() {
    const QFileInfo file(m_path);
    QStringList folders{file.absolutePath()};
    const QString target = file.canonicalFilePath(); // every symlink on the way resolved
    if (!target.isEmpty())
        folders << QFileInfo(target).absolutePath();
    else if (file.isSymLink()) // dangling: where its target will appear
        folders << QFileInfo(file.symLinkTarget()).absolutePath();
    folders.removeDuplicates();
    const QStringList gone = m_watcher.directories();
    for (const QString& folder : gone) {
        if (!folders.contains(folder))
            m_watcher.removePath(folder);
    }
    for (const QString& folder : folders) {
        if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
            m_watcher.addPath(folder);
    }
    // The file watched may be one a rename replaced since.
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!target.isEmpty() && QFileInfo(target).isFile())
        m_watcher.addPath(m_path);
}
