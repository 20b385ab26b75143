#include "platform/xdg/OpenWith.h"

#include "platform/LogCategories.h"

#include <QSet>

#include <memory>

// GIO's headers use "signals" as a field name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

namespace OpenWith {

namespace {

struct ObjectDeleter {
    void operator()(gpointer object) const {
        if (object)
            g_object_unref(object);
    }
};

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

Application describe(GAppInfo* info, bool isDefault) {
    Application application{
        fromUtf8(g_app_info_get_id(info)), fromUtf8(g_app_info_get_name(info)), {}, {}, isDefault};
    GIcon* icon = g_app_info_get_icon(info);
    if (icon && G_IS_THEMED_ICON(icon)) {
        for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); name && *name; ++name)
            application.iconNames << fromUtf8(*name);
    } else if (icon && G_IS_FILE_ICON(icon)) {
        if (char* file = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)))) {
            application.iconFile = QString::fromLocal8Bit(file);
            g_free(file);
        }
    }
    return application;
}

} // namespace

QList<Application> applicationsFor(const QString& mimeType) {
    const QByteArray type = mimeType.toUtf8();
    QList<Application> applications;
    QSet<QString> seen;
    const auto add = [&](GAppInfo* info, bool isDefault) {
        const QString id = fromUtf8(g_app_info_get_id(info));
        if (id.isEmpty() || seen.contains(id))
            return;
        if (G_IS_DESKTOP_APP_INFO(info) && !g_desktop_app_info_get_show_in(G_DESKTOP_APP_INFO(info), nullptr))
            return;
        seen.insert(id);
        applications << describe(info, isDefault);
    };
    if (const std::unique_ptr<GAppInfo, ObjectDeleter> preferred{
            g_app_info_get_default_for_type(type, FALSE)})
        add(preferred.get(), true);
    for (GList* list : {g_app_info_get_recommended_for_type(type), g_app_info_get_fallback_for_type(type)}) {
        for (GList* item = list; item; item = item->next)
            add(G_APP_INFO(item->data), false);
        g_list_free_full(list, g_object_unref);
    }
    return applications;
}

bool launch(const QString& applicationId, const QList<QUrl>& urls) {
    const std::unique_ptr<GDesktopAppInfo, ObjectDeleter> info{
        g_desktop_app_info_new(applicationId.toUtf8().constData())};
    if (!info) {
        qCWarning(lcOpen) << "no application" << applicationId;
        return false;
    }
    QList<QByteArray> keep;
    GList* uris = nullptr;
    for (const QUrl& url : urls) {
        keep << url.toEncoded();
        uris = g_list_append(uris, keep.last().data());
    }
    GError* error = nullptr;
    const bool started = g_app_info_launch_uris(G_APP_INFO(info.get()), uris, nullptr, &error);
    g_list_free(uris);
    if (!started)
        qCWarning(lcOpen) << "could not start" << applicationId << (error ? error->message : "");
    g_clear_error(&error);
    return started;
}

} // namespace OpenWith
