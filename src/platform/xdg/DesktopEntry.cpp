#include "platform/xdg/DesktopEntry.h"

#include "platform/LogCategories.h"
#include "platform/xdg/GioLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

// A group named after the user, with no other listed member: the usual private group, whose
// write bit lets nobody else in.
bool isPrivateGroup(gid_t gid, uid_t user) {
    passwd account{};
    group entry{};
    passwd* found = nullptr;
    group* foundGroup = nullptr;
    char accountText[16384], groupText[16384]; // too small a buffer only loses the exception
    if (::getpwuid_r(user, &account, accountText, sizeof accountText, &found) != 0 || !found ||
        account.pw_gid != gid || ::getgrgid_r(gid, &entry, groupText, sizeof groupText, &foundGroup) != 0 ||
        !foundGroup)
        return false;
    const QByteArray name = account.pw_name;
    if (name != entry.gr_name)
        return false;
    for (char** member = entry.gr_mem; member && *member; ++member) {
        if (name != *member)
            return false;
    }
    return true;
}

std::optional<DesktopEntry::Ownership> ownershipOf(const QByteArray& path, uid_t user) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return DesktopEntry::Ownership{info.st_uid, info.st_mode, isPrivateGroup(info.st_gid, user)};
}

// The file a path leads to, with every symlink followed; empty when there is none.
QString resolvedPath(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}
} // namespace

bool DesktopEntry::isDesktopEntryPath(const QString& path) {
    return path.endsWith(QLatin1String(".desktop")) && QFileInfo(path).isFile();
}

bool DesktopEntry::anyApplicationFor(const QString& mimeType) {
    const GioLibrary& g = GioLibrary::get();
    if (!g.loaded)
        return false;
    const QByteArray type = mimeType.toUtf8();
    // A default set in mimeapps.list alone is not among the registered applications, yet it opens the file.
    if (GObjectPtr<GAppInfo> chosen(g.defaultForType(type.constData(), FALSE)); chosen)
        return true;
    GList* applications = g.allForType(type.constData());
    const bool any = applications != nullptr;
    g_list_free_full(applications, g.objectUnref);
    return any;
}

std::optional<DesktopEntry> DesktopEntry::read(const QString& path) {
    const GioLibrary& g = GioLibrary::get();
    if (!isDesktopEntryPath(path) || !g.loaded)
        return std::nullopt;
    GObjectPtr<GDesktopAppInfo> info(g.fromFilename(path.toLocal8Bit().constData()));
    if (!info)
        return std::nullopt;

    DesktopEntry entry;
    entry.m_path = path;
    auto* app = reinterpret_cast<GAppInfo*>(info.get());
    entry.m_name = fromUtf8(g.name(app));
    const GioLibrary::Icon icon = g.iconOf(app);
    entry.m_iconNames = icon.names;
    entry.m_iconFile = icon.file;
    return entry;
}

bool DesktopEntry::safeOwnership(const Ownership& file, const Ownership& folder, uid_t user) {
    const auto ownedWell = [user](const Ownership& what) { return what.owner == user || what.owner == 0; };
    const auto othersWrite = [](const Ownership& what) {
        return (what.mode & S_IWOTH) || ((what.mode & S_IWGRP) && !what.privateGroup);
    };
    if (!ownedWell(file) || othersWrite(file) || !ownedWell(folder))
        return false;
    return !othersWrite(folder) || ((folder.mode & S_ISVTX) && file.owner == user);
}

QString DesktopEntry::trustedPath() const {
    const QString path = resolvedPath(m_path);
    if (path.isEmpty())
        return QString();
    const uid_t user = ::geteuid();
    const auto file = ownershipOf(QFile::encodeName(path), user);
    const QString folder = QFileInfo(path).path();
    const auto parent = ownershipOf(QFile::encodeName(folder), user);
    if (!file || !parent || !safeOwnership(*file, *parent, user)) {
        qCWarning(lcOpen) << "not started: someone else could have written" << m_path;
        return QString();
    }
    const QStringList systemFolders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& system : systemFolders) {
        if (folder == QFileInfo(system).canonicalFilePath())
            return path;
    }
    if (!QFileInfo(path).isExecutable()) {
        qCWarning(lcOpen) << "not started: the entry is outside the application folders and not executable"
                          << m_path;
        return QString();
    }
    return path;
}

bool DesktopEntry::launch(const QList<QUrl>& urls) const {
    // The file that was checked, not a link that may have been turned elsewhere since.
    const QString path = trustedPath();
    const GioLibrary& g = GioLibrary::get();
    if (path.isEmpty() || !g.loaded)
        return false;
    GObjectPtr<GDesktopAppInfo> info(g.fromFilename(QFile::encodeName(path).constData()));
    if (!info) {
        qCWarning(lcOpen) << "not started: no longer a valid application entry" << m_path;
        return false;
    }
    return g.launch(reinterpret_cast<GAppInfo*>(info.get()), urls, m_path);
}
