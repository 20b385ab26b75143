#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// Each variable, then its folder below the temporary home.
const char* const kFolders[12] = {
    "HOME",           "",        "XDG_DATA_HOME",  "/.local/share", "XDG_CONFIG_HOME", "/.config",
    "XDG_CACHE_HOME", "/.cache", "XDG_STATE_HOME", "/.local/state", "XDG_RUNTIME_DIR", "/.runtime"};
} // namespace

TestEnvironment::TestEnvironment() {
    for (int i = 0; i < 6; ++i) {
        m_saved[i] = qgetenv(kFolders[2 * i]);
        qputenv(kFolders[2 * i], QFile::encodeName(home() + QLatin1String(kFolders[2 * i + 1])));
    }
    QFile::setPermissions(makeFolder(QStringLiteral(".runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Point the user folders (Documents, Desktop, ...) below home, whatever the machine says.
    makeFile(QStringLiteral(".config/user-dirs.dirs"),
             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
             "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n"
             "XDG_PICTURES_DIR=\"$HOME/Pictures\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
}

TestEnvironment::~TestEnvironment() {
    for (int i = 0; i < 6; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kFolders[2 * i]);
        else
            qputenv(kFolders[2 * i], m_saved[i]);
    }
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

void TestEnvironment::withoutSessionBus() const {
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(home() + QLatin1String("/.runtime/no-bus")));
}
