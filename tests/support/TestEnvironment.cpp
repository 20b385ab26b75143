#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const char* const kVariables[6] = {"HOME",           "XDG_DATA_HOME",  "XDG_CONFIG_HOME",
                                   "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};
}

TestEnvironment::TestEnvironment() {
    const QString root = m_dir.path();
    for (int i = 0; i < 6; ++i)
        m_saved[i] = qgetenv(kVariables[i]);
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/.local/share")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/.config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/.cache")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root + QStringLiteral("/.local/state")));
    QDir(root).mkpath(QStringLiteral(".runtime"));
    QFile::setPermissions(root + QStringLiteral("/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/.runtime")));
    // Point the user folders (Documents, Desktop, ...) below home, whatever the machine says.
    QDir(root).mkpath(QStringLiteral(".config"));
    QFile dirs(root + QStringLiteral("/.config/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly)) {
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                   "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n"
                   "XDG_PICTURES_DIR=\"$HOME/Pictures\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
    }
}

TestEnvironment::~TestEnvironment() {
    for (int i = 0; i < 6; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_saved[i]);
    }
}

QString TestEnvironment::dataHome() const {
    return qEnvironmentVariable("XDG_DATA_HOME");
}
QString TestEnvironment::configHome() const {
    return qEnvironmentVariable("XDG_CONFIG_HOME");
}

QString TestEnvironment::makeFolder(const QString& relativePath) const {
    const QString path = QDir(home()).filePath(relativePath);
    QDir().mkpath(path);
    return path;
}

QString TestEnvironment::makeFile(const QString& relativePath, const QByteArray& content) const {
    const QString path = QDir(home()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}
