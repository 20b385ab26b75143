#include "app/StoreCommands.h"

#include "model/Bookmarks.h"
#include "model/HandOverQueue.h"
#include "model/NookStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace StoreCommands {

ChosenNook chosenNook(const QStringList& names, const QString& asked) {
    const QString name = asked.trimmed();
    if (name.isEmpty() || names.contains(name))
        return {};
    QStringList alike;
    for (const QString& each : names) {
        if (each.compare(name, Qt::CaseInsensitive) == 0)
            alike << each;
    }
    if (alike.size() < 2)
        return {};
    return {alike.takeFirst(), alike};
}

HandOverTarget targetFor(const QString& nook) {
    return nook.isEmpty() ? HandOverTarget::current() : HandOverTarget::named(nook);
}

HandOverResult handOverNow(NookStore& store, const QList<QUrl>& urls, const HandOverTarget& target) {
    HandOverResult result;
    const HandOverQueue::Ticket ticket = store.handOvers().add(urls, target);
    const QMetaObject::Connection connection =
        QObject::connect(&store.handOvers(), &HandOverQueue::finished,
                         [&](HandOverQueue::Ticket finished, const HandOverResult& outcome) {
                             if (finished == ticket)
                                 result = outcome;
                         });
    store.handOvers().complete();
    QObject::disconnect(connection);
    store.waitForSaves();
    return result;
}

QString listing(const QList<NookGroup>& groups) {
    QJsonArray nooks;
    for (const NookGroup& group : groups) {
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
