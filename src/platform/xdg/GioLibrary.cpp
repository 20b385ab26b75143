#include "platform/xdg/GioLibrary.h"

#include "platform/LogCategories.h"

#include <type_traits>

#include <dlfcn.h>

const GioLibrary& GioLibrary::get() {
    static const GioLibrary instance = [] {
        GioLibrary g;
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
                   resolve(g.recommendedForType, "g_app_info_get_recommended_for_type") &&
                   resolve(g.fallbackForType, "g_app_info_get_fallback_for_type") &&
                   resolve(g.fromFilename, "g_desktop_app_info_new_from_filename") &&
                   resolve(g.fromId, "g_desktop_app_info_new") &&
                   resolve(g.desktopAppInfoType, "g_desktop_app_info_get_type") &&
                   resolve(g.showIn, "g_desktop_app_info_get_show_in") &&
                   resolve(g.id, "g_app_info_get_id") && resolve(g.name, "g_app_info_get_name") &&
                   resolve(g.icon, "g_app_info_get_icon") &&
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

GioLibrary::Icon GioLibrary::iconOf(GAppInfo* application) const {
    Icon found;
    GIcon* icon = this->icon(application);
    if (!icon)
        return found;
    if (is(icon, themedIconType())) {
        for (const gchar* const* each = themedIconNames(reinterpret_cast<GThemedIcon*>(icon)); each && *each;
             ++each)
            found.names << QString::fromUtf8(*each);
    } else if (is(icon, fileIconType())) {
        if (char* file = filePath(fileIconFile(reinterpret_cast<GFileIcon*>(icon)))) {
            found.file = QString::fromLocal8Bit(file);
            g_free(file);
        }
    }
    return found;
}

bool GioLibrary::launch(GAppInfo* application, const QList<QUrl>& urls, const QString& what) const {
    QList<QByteArray> uris; // alive while GIO reads the list
    for (const QUrl& url : urls)
        uris << url.toEncoded();
    GList* list = nullptr;
    for (const QByteArray& uri : uris)
        list = g_list_append(list, const_cast<char*>(uri.constData()));
    GError* error = nullptr;
    const gboolean started = launchUris(application, list, nullptr, &error);
    g_list_free(list);
    if (!started)
        qCWarning(lcOpen) << "could not start" << what << ":" << (error ? error->message : "");
    g_clear_error(&error);
    return started;
}
