#include "platform/xdg/DesktopEntry.h"

#include "platform/LogCategories.h"

#include <QFileInfo>
#include <QStandardPaths>

// GIO's headers use "signals" as a field name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

namespace {
template <typename T> struct GObjectDeleter {
    void operator()(T* object) const {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}
} // namespace

bool DesktopEntry::isDesktopEntryPath(const QString& path) {
    return path.endsWith(QLatin1String(".desktop")) && QFileInfo(path).isFile();
}

bool DesktopEntry::anyApplicationFor(const QString& mimeType) {
    GList* applications = g_app_info_get_all_for_type(mimeType.toUtf8().constData());
    const bool any = applications != nullptr;
    g_list_free_full(applications, g_object_unref);
    return any;
}

std::optional<DesktopEntry> DesktopEntry::read(const QString& path) {
    if (!isDesktopEntryPath(path))
        return std::nullopt;
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(path.toLocal8Bit().constData()));
    if (!info)
        return std::nullopt;

    DesktopEntry entry;
    entry.m_path = path;
    entry.m_name = fromUtf8(g_app_info_get_name(G_APP_INFO(info.get())));
    if (GIcon* icon = g_app_info_get_icon(G_APP_INFO(info.get()))) {
        if (G_IS_THEMED_ICON(icon)) {
            for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name;
                 ++name)
                entry.m_iconNames << fromUtf8(*name);
        } else if (G_IS_FILE_ICON(icon)) {
            if (char* file = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)))) {
                entry.m_iconFile = QString::fromLocal8Bit(file);
                g_free(file);
            }
        }
    }
    return entry;
}

bool DesktopEntry::isTrusted() const {
    const QFileInfo file(m_path);
    const QString folder = file.canonicalPath();
    const QStringList systemFolders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& system : systemFolders) {
        if (folder == QFileInfo(system).canonicalFilePath())
            return true;
    }
    return file.isExecutable();
}

bool DesktopEntry::launch(const QList<QUrl>& urls) const {
    if (!isTrusted()) {
        qCWarning(lcOpen) << "not started: the entry is outside the application folders and not executable"
                          << m_path;
        return false;
    }
    GObjectPtr<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(m_path.toLocal8Bit().constData()));
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
    const gboolean ok = g_app_info_launch_uris(G_APP_INFO(info.get()), uris, nullptr, &error);
    g_list_free(uris);
    if (error) {
        qCWarning(lcOpen) << "could not start" << m_path << ":" << error->message;
        g_error_free(error);
    } else if (!ok) {
        qCWarning(lcOpen) << "could not start" << m_path;
    }
    return ok;
}
