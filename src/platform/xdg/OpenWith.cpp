#include "platform/xdg/OpenWith.h"

#include "platform/LogCategories.h"
#include "platform/xdg/GioLibrary.h"

#include <QSet>

namespace OpenWith {

namespace {

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

Application describe(const GioLibrary& g, GAppInfo* info, bool isDefault) {
    const GioLibrary::Icon icon = g.iconOf(info);
    return Application{fromUtf8(g.id(info)), fromUtf8(g.name(info)), icon.names, icon.file, isDefault};
}

} // namespace

QList<Application> applicationsFor(const QString& mimeType) {
    const GioLibrary& g = GioLibrary::get();
    QList<Application> applications;
    if (!g.loaded)
        return applications;
    const QByteArray type = mimeType.toUtf8();
    QSet<QString> seen;
    const auto add = [&](GAppInfo* info, bool isDefault) {
        const QString id = fromUtf8(g.id(info));
        if (id.isEmpty() || seen.contains(id))
            return;
        if (g.is(info, g.desktopAppInfoType()) &&
            !g.showIn(reinterpret_cast<GDesktopAppInfo*>(info), nullptr))
            return;
        seen.insert(id);
        applications << describe(g, info, isDefault);
    };
    if (const GObjectPtr<GAppInfo> preferred{g.defaultForType(type, FALSE)})
        add(preferred.get(), true);
    for (GList* list : {g.recommendedForType(type), g.fallbackForType(type)}) {
        for (GList* item = list; item; item = item->next)
            add(static_cast<GAppInfo*>(item->data), false);
        g_list_free_full(list, g.objectUnref);
    }
    return applications;
}

bool launch(const QString& applicationId, const QList<QUrl>& urls) {
    const GioLibrary& g = GioLibrary::get();
    if (!g.loaded)
        return false;
    const GObjectPtr<GDesktopAppInfo> info{g.fromId(applicationId.toUtf8().constData())};
    if (!info) {
        qCWarning(lcOpen) << "no application" << applicationId;
        return false;
    }
    return g.launch(reinterpret_cast<GAppInfo*>(info.get()), urls, applicationId);
}

} // namespace OpenWith
