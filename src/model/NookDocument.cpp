#include "model/NookDocument.h"

#include "model/Bookmarks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace NookDocument {

namespace {
const QString kFormat = QStringLiteral("tuckaway-nooks");
const QString kNooks = QStringLiteral("nooks");
const QString kItems = QStringLiteral("items");
const QString kName = QStringLiteral("name");
const QString kPath = QStringLiteral("path");
} // namespace

QByteArray encode(const QList<NookGroup>& groups, int* items) {
    QJsonArray nooks;
    int count = 0;
    for (const NookGroup& group : groups) {
        QJsonArray entries;
        for (const NookItem& item : group.items) {
            std::optional<QString> path = Bookmarks::resolvePath(item.bookmarkData);
            if (!path)
                path = Bookmarks::recordedPath(item.bookmarkData);
            if (!path)
                continue;
            entries.append(QJsonObject{{kName, item.name}, {kPath, *path}});
            ++count;
        }
        nooks.append(QJsonObject{{kName, group.name}, {kItems, entries}});
    }
    if (items)
        *items = count;
    return QJsonDocument(QJsonObject{{kFormat, kVersion}, {kNooks, nooks}}).toJson(QJsonDocument::Indented);
}

std::optional<QList<Nook>> decode(const QByteArray& bytes, QString* error) {
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parsed);
    const auto fail = [&](const QString& what) {
        *error = what;
        return std::nullopt;
    };
    if (parsed.error != QJsonParseError::NoError)
        return fail(QStringLiteral("no JSON at offset %1: %2").arg(parsed.offset).arg(parsed.errorString()));
    const QJsonValue version = document.object().value(kFormat);
    if (!version.isDouble())
        return fail(QStringLiteral("not a document of exported nooks"));
    if (version.toInt() != kVersion)
        return fail(
            QStringLiteral("exported nooks of version %1, not %2").arg(version.toInt()).arg(kVersion));
    const QJsonValue nooks = document.object().value(kNooks);
    if (!nooks.isArray())
        return fail(QStringLiteral("\"nooks\" is no list"));
    QList<Nook> result;
    for (const QJsonValue& each : nooks.toArray()) {
        const QJsonValue name = each[kName];
        const QJsonValue items = each[kItems];
        const QString where = QStringLiteral("nook %1").arg(result.size() + 1);
        if (!name.isString() || name.toString().trimmed().isEmpty() || !items.isArray())
            return fail(where + QStringLiteral(": a name and a list of items are needed"));
        if (name.toString().size() > kMaxNameLength)
            return fail(where + QStringLiteral(": a name of more than %1 characters").arg(kMaxNameLength));
        Nook nook{name.toString().trimmed(), {}, {}};
        for (const QJsonValue& item : items.toArray()) {
            const QJsonValue path = item[kPath];
            const QJsonValue itemName = item[kName];
            if (!path.isString() || !(itemName.isString() || itemName.isUndefined()))
                return fail(where + QStringLiteral(", item %1: a path is needed").arg(nook.urls.size() + 1));
            const QUrl url = QUrl::fromLocalFile(path.toString());
            nook.urls << url;
            const QString text = itemName.toString();
            if (!text.isEmpty() && text.size() <= kMaxNameLength)
                nook.names.insert(url, text);
        }
        result << nook;
    }
    return result;
}

} // namespace NookDocument
