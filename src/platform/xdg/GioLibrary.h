#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

// GIO's headers use "signals" as a field name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

// GIO, loaded when it is first needed rather than linked: most runs never need it, and linked
// it would set up GObject's types (and bring four more libraries) at every start. GLib itself
// is linked already (Qt uses it). Null members when it cannot be loaded.
struct GioLibrary {
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_type_check_instance_is_a) isA = nullptr;
    decltype(&g_app_info_get_default_for_type) defaultForType = nullptr;
    decltype(&g_app_info_get_all_for_type) allForType = nullptr;
    decltype(&g_app_info_get_recommended_for_type) recommendedForType = nullptr;
    decltype(&g_app_info_get_fallback_for_type) fallbackForType = nullptr;
    decltype(&g_desktop_app_info_new_from_filename) fromFilename = nullptr;
    decltype(&g_desktop_app_info_new) fromId = nullptr;
    decltype(&g_desktop_app_info_get_type) desktopAppInfoType = nullptr;
    decltype(&g_desktop_app_info_get_show_in) showIn = nullptr;
    decltype(&g_app_info_get_id) id = nullptr;
    decltype(&g_app_info_get_name) name = nullptr;
    decltype(&g_app_info_get_icon) icon = nullptr;
    decltype(&g_themed_icon_get_type) themedIconType = nullptr;
    decltype(&g_themed_icon_get_names) themedIconNames = nullptr;
    decltype(&g_file_icon_get_type) fileIconType = nullptr;
    decltype(&g_file_icon_get_file) fileIconFile = nullptr;
    decltype(&g_file_get_path) filePath = nullptr;
    decltype(&g_app_info_launch_uris) launchUris = nullptr;
    bool loaded = false;

    // Loaded at the first call, once for the run.
    static const GioLibrary& get();

    bool is(gpointer instance, GType type) const { return isA(static_cast<GTypeInstance*>(instance), type); }

    struct Icon {
        QStringList names; // themed
        QString file;
    };
    Icon iconOf(GAppInfo* application) const;

    // Starts the application with these URIs; false (with a warning naming `what`) when it did not start.
    bool launch(GAppInfo* application, const QList<QUrl>& urls, const QString& what) const;
};

template <typename T> struct GObjectDeleter {
    void operator()(T* object) const {
        if (object)
            GioLibrary::get().objectUnref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;
