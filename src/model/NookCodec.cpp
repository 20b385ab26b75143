#include "NookCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace NookCodec {

namespace {

const QLatin1String kId("id");
const QLatin1String kName("name");
const QLatin1String kItems("items");
const QLatin1String kBookmarkData("bookmarkData");

// Thrown inside decode() only, to leave the recursive walk at the first fault.
struct DecodeFault {
    QString message;
};

QString typeName(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

QJsonValue required(const QJsonObject& object, QLatin1String key, QJsonValue::Type type,
                    const QString& where) {
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        throw DecodeFault{QStringLiteral("%1: key \"%2\" is missing").arg(where, key)};
    const QJsonValue value = it.value();
    if (value.type() != type) {
        const QString expected =
            type == QJsonValue::String ? QStringLiteral("a string") : QStringLiteral("an array");
        throw DecodeFault{QStringLiteral("%1: key \"%2\" holds %3 instead of %4")
                              .arg(where, key, typeName(value), expected)};
    }
    return value;
}

QUuid requiredUuid(const QJsonObject& object, const QString& where) {
    const QString text = required(object, kId, QJsonValue::String, where).toString();
    const std::optional<QUuid> id = parseUuid(text);
    if (!id)
        throw DecodeFault{QStringLiteral("%1: \"id\" is not a UUID: \"%2\"").arg(where, text.left(60))};
    return *id;
}

QByteArray requiredBase64(const QJsonObject& object, const QString& where) {
    const QString text = required(object, kBookmarkData, QJsonValue::String, where).toString();
    const auto fault = [&] {
        return DecodeFault{QStringLiteral("%1: \"bookmarkData\" is not valid Base64").arg(where)};
    };
    // Base64 text is ASCII and padded to a multiple of four characters.
    if (text.size() % 4 != 0)
        throw fault();
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            throw fault();
    }
    auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        throw fault();
    return *result;
}

NookItem decodeItem(const QJsonValue& value, const QString& where) {
    if (!value.isObject())
        throw DecodeFault{QStringLiteral("%1 is %2 instead of an object").arg(where, typeName(value))};
    const QJsonObject object = value.toObject();
    NookItem item;
    item.id = requiredUuid(object, where);
    item.name = required(object, kName, QJsonValue::String, where).toString();
    item.bookmarkData = requiredBase64(object, where);
    return item;
}

NookGroup decodeGroup(const QJsonValue& value, const QString& where) {
    if (!value.isObject())
        throw DecodeFault{QStringLiteral("%1 is %2 instead of an object").arg(where, typeName(value))};
    const QJsonObject object = value.toObject();
    NookGroup group;
    group.id = requiredUuid(object, where);
    group.name = required(object, kName, QJsonValue::String, where).toString();
    const QJsonArray items = required(object, kItems, QJsonValue::Array, where).toArray();
    const QString named = QStringLiteral("%1 (\"%2\")").arg(where, group.name.left(40));
    group.items.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        group.items.append(decodeItem(items.at(i), QStringLiteral("%1, item %2").arg(named).arg(i + 1)));
    return group;
}

} // namespace

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(const QString& text) {
    static const QRegularExpression shape(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (text.size() != 36 || !shape.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

QByteArray encode(const QList<NookGroup>& groups) {
    QJsonArray array;
    for (const NookGroup& group : groups) {
        QJsonArray items;
        for (const NookItem& item : group.items) {
            items.append(QJsonObject{{kId, uuidText(item.id)},
                                     {kName, item.name},
                                     {kBookmarkData, QString::fromLatin1(item.bookmarkData.toBase64())}});
        }
        array.append(QJsonObject{{kId, uuidText(group.id)}, {kName, group.name}, {kItems, items}});
    }
    QByteArray text = QJsonDocument(array).toJson(QJsonDocument::Compact);
    // A "/" can only stand inside a JSON string, so escaping every one is exact.
    text.replace('/', "\\/");
    return text;
}

std::optional<QList<NookGroup>> decode(const QByteArray& bytes, QString* error) {
    const auto fail = [&](const QString& message) -> std::optional<QList<NookGroup>> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("the file is empty"));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON at byte %1: %2")
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!document.isArray())
        return fail(
            QStringLiteral("the top level is %1, not an array of groups")
                .arg(document.isObject() ? QStringLiteral("an object") : QStringLiteral("not an array")));

    const QJsonArray array = document.array();
    QList<NookGroup> groups;
    groups.reserve(array.size());
    try {
        for (qsizetype i = 0; i < array.size(); ++i)
            groups.append(decodeGroup(array.at(i), QStringLiteral("group %1").arg(i + 1)));
    } catch (const DecodeFault& fault) {
        return fail(fault.message);
    }
    return groups;
}

} // namespace NookCodec
