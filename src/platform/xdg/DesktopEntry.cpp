#include "platform/xdg/DesktopEntry.h"

#include "platform/LogCategories.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <type_traits>

#include <dlfcn.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// GIO's headers use "signals" as a field name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

namespace {
// GIO, loaded when a desktop entry is first looked at rather than linked: most runs never
// need it, and linked it would set up GObject's types (and bring four more libraries) at
// every start. Null members when it cannot be loaded.
struct Gio {
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_type_check_instance_is_a) isA = nullptr;
    decltype(&g_app_info_get_default_for_type) defaultForType = nullptr;
    decltype(&g_app_info_get_all_for_type) allForType = nullptr;
    decltype(&g_desktop_app_info_new_from_filename) fromFilename = nullptr;
    decltype(&g_app_info_get_name) name = nullptr;
    decltype(&g_app_info_get_icon) icon = nullptr;
    decltype(&g_themed_icon_get_type) themedIconType = nullptr;
    decltype(&g_themed_icon_get_names) themedIconNames = nullptr;
    decltype(&g_file_icon_get_type) fileIconType = nullptr;
    decltype(&g_file_icon_get_file) fileIconFile = nullptr;
    decltype(&g_file_get_path) filePath = nullptr;
    decltype(&g_app_info_launch_uris) launchUris = nullptr;
    bool loaded = false;
};

const Gio& gio() {
    static const Gio instance = [] {
        Gio g;
        void* library = ::dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            qCWarning(lcOpen) << "GIO cannot be loaded:" << ::dlerror();
            return g;
        }
        // GObject's functions too: GIO depends on it, so its symbols are found through it.
        const auto resolve = [library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
            return function != nullptr;
        };
        g.loaded = resolve(g.objectUnref, "g_object_unref") && resolve(g.isA, "g_type_check_instance_is_a") &&
                   resolve(g.defaultForType, "g_app_info_get_default_for_type") &&
                   resolve(g.allForType, "g_app_info_get_all_for_type") &&
                   resolve(g.fromFilename, "g_desktop_app_info_new_from_filename") &&
                   resolve(g.name, "g_app_info_get_name") && resolve(g.icon, "g_app_info_get_icon") &&
                   resolve(g.themedIconType, "g_themed_icon_get_type") &&
                   resolve(g.themedIconNames, "g_themed_icon_get_names") &&
                   resolve(g.fileIconType, "g_file_icon_get_type") &&
                   resolve(g.fileIconFile, "g_file_icon_get_file") &&
                   resolve(g.filePath, "g_file_get_path") && resolve(g.launchUris, "g_app_info_launch_uris");
        if (!g.loaded)
            qCWarning(lcOpen) << "GIO lacks a function:" << ::dlerror();
        return g;
    }();
    return instance;
}

template <typename T> struct GObjectDeleter {
    void operator()(T* object) const {
        if (object)
            gio().objectUnref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

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
    const Gio& g = gio();
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
    const Gio& g = gio();
    if (!isDesktopEntryPath(path) || !g.loaded)
        return std::nullopt;
    GObjectPtr<GDesktopAppInfo> info(g.fromFilename(path.toLocal8Bit().constData()));
    if (!info)
        return std::nullopt;

    DesktopEntry entry;
    entry.m_path = path;
    auto* app = reinterpret_cast<GAppInfo*>(info.get());
    entry.m_name = fromUtf8(g.name(app));
    if (GIcon* icon = g.icon(app)) {
        auto* instance = reinterpret_cast<GTypeInstance*>(icon);
        if (g.isA(instance, g.themedIconType())) {
            for (const gchar* const* name = g.themedIconNames(reinterpret_cast<GThemedIcon*>(icon));
                 name && *name; ++name)
                entry.m_iconNames << fromUtf8(*name);
        } else if (g.isA(instance, g.fileIconType())) {
            if (char* file = g.filePath(g.fileIconFile(reinterpret_cast<GFileIcon*>(icon)))) {
                entry.m_iconFile = QString::fromLocal8Bit(file);
                g_free(file);
            }
        }
    }
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
    const Gio& g = gio();
    if (path.isEmpty() || !g.loaded)
        return false;
    GObjectPtr<GDesktopAppInfo> info(g.fromFilename(QFile::encodeName(path).constData()));
    if (!info) {
        qCWarning(lcOpen) << "not started: no longer a valid application entry" << m_path;
        return false;
    }
    GList* uris = nullptr;
    QList<QByteArray> keep;
    for (const QUrl& url : urls) {
        keep << url.toEncoded();
        uris = g_list_append(uris, keep.last().data());
    }
    GError* error = nullptr;
    const gboolean ok = g.launchUris(reinterpret_cast<GAppInfo*>(info.get()), uris, nullptr, &error);
    g_list_free(uris);
    if (error) {
        qCWarning(lcOpen) << "could not start" << m_path << ":" << error->message;
        g_error_free(error);
    } else if (!ok) {
        qCWarning(lcOpen) << "could not start" << m_path;
    }
    return ok;
}
