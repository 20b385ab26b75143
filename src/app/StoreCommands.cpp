#include "app/StoreCommands.h"

#include "model/Bookmarks.h"
#include "model/HandOverQueue.h"
#include "model/NookStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace StoreCommands {

// The hand-over's own rule picks the nook; only the others are looked for here.
ChosenNook chosenNook(const QStringList& names, const QString& asked) {
    const QString name = asked.trimmed();
    const qsizetype used = NookStore::indexOfName(names, name);
    if (name.isEmpty() || used < 0 || names.at(used) == name)
        return {};
    QStringList others;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i != used && names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            others << names.at(i);
    }
    if (others.isEmpty())
        return {};
    return {names.at(used), others};
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
