#include "app/StoreCommands.h"

#include "model/Bookmarks.h"
#include "model/NookStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace StoreCommands {

HandOverResult handOver(NookStore& store, const QList<QUrl>& urls, const QString& nook) {
    if (nook.isEmpty())
        return store.addURLsToSelectedGroup(urls);
    for (const NookGroup& group : store.groups()) {
        if (group.name == nook)
            return store.addURLs(urls, group.id);
    }
    store.addGroup(nook);
    return store.addURLs(urls, store.groups().constLast().id);
}

QString listing(const NookStore& store) {
    QJsonArray nooks;
    for (const NookGroup& group : store.groups()) {
        QJsonArray items;
        for (const NookItem& item : group.items) {
            const std::optional<QString> path = Bookmarks::resolvePath(item.bookmarkData);
            items.append(QJsonObject{
                {QStringLiteral("name"), item.name},
                {QStringLiteral("id"), item.id.toString(QUuid::WithoutBraces).toUpper()},
                {QStringLiteral("path"), path ? QJsonValue(*path) : QJsonValue(QJsonValue::Null)},
                {QStringLiteral("missing"), !path},
            });
        }
        nooks.append(QJsonObject{
            {QStringLiteral("name"), group.name},
            {QStringLiteral("id"), group.id.toString(QUuid::WithoutBraces).toUpper()},
            {QStringLiteral("items"), items},
        });
    }
    return QString::fromUtf8(QJsonDocument(nooks).toJson(QJsonDocument::Indented));
}

} // namespace StoreCommands
