#include "model/NookCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <array>
#include <cstring>
#include <functional>

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
                    const std::function<QString()>& where) {
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        throw DecodeFault{QStringLiteral("%1: key \"%2\" is missing").arg(where(), key)};
    const QJsonValue value = it.value();
    if (value.type() != type) {
        const QString expected =
            type == QJsonValue::String ? QStringLiteral("a string") : QStringLiteral("an array");
        throw DecodeFault{QStringLiteral("%1: key \"%2\" holds %3 instead of %4")
                              .arg(where(), key, typeName(value), expected)};
    }
    return value;
}

QUuid requiredUuid(const QJsonObject& object, const std::function<QString()>& where) {
    const QString text = required(object, kId, QJsonValue::String, where).toString();
    const std::optional<QUuid> id = parseUuid(text);
    if (!id)
        throw DecodeFault{QStringLiteral("%1: \"id\" is not a UUID: \"%2\"").arg(where(), text.left(60))};
    return *id;
}

QByteArray requiredBase64(const QJsonObject& object, const std::function<QString()>& where) {
    const QString text = required(object, kBookmarkData, QJsonValue::String, where).toString();
    const auto fault = [&] {
        return DecodeFault{QStringLiteral("%1: \"bookmarkData\" is not valid Base64").arg(where())};
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

// Where a fault is, built only when there is one: formatting it for every record would
// cost more than the decoding itself.
using Where = std::function<QString()>;

// The items as the document gives them, written one after the other into one block. The
// document is many small pieces; items made while it is alive land between them and stay
// there once it is freed, keeping most of its pages (7 MiB at 10,000 items, in some starts).
// Made only after it is gone, they fill its place instead.
class PackedItems {
public:
    void add(const QUuid& id, const QString& name, const QByteArray& bookmark) {
        put(id);
        put(name.size());
        m_bytes.append(reinterpret_cast<const char*>(name.constData()),
                       name.size() * qsizetype(sizeof(QChar)));
        put(bookmark.size());
        m_bytes.append(bookmark);
    }
    // The items in the order added, `count` at a time.
    QList<NookItem> take(qsizetype count) {
        QList<NookItem> items;
        items.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            NookItem item;
            item.id = get<QUuid>();
            const qsizetype nameSize = get<qsizetype>();
            item.name = QString(reinterpret_cast<const QChar*>(m_bytes.constData() + m_at), nameSize);
            m_at += nameSize * qsizetype(sizeof(QChar));
            const qsizetype bookmarkSize = get<qsizetype>();
            item.bookmarkData = QByteArray(m_bytes.constData() + m_at, bookmarkSize);
            m_at += bookmarkSize;
            items.append(std::move(item));
        }
        return items;
    }

private:
    template <typename T> void put(const T& value) {
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    template <typename T> T get() {
        T value;
        std::memcpy(&value, m_bytes.constData() + m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }

    QByteArray m_bytes;
    qsizetype m_at = 0;
};

void decodeItem(const QJsonValue& value, const Where& where, PackedItems& items) {
    if (!value.isObject())
        throw DecodeFault{QStringLiteral("%1 is %2 instead of an object").arg(where(), typeName(value))};
    const QJsonObject object = value.toObject();
    const QUuid id = requiredUuid(object, where);
    const QString name = required(object, kName, QJsonValue::String, where).toString();
    items.add(id, name, requiredBase64(object, where));
}

// The group without its items, which go to `items`; how many they are.
std::pair<NookGroup, qsizetype> decodeGroup(const QJsonValue& value, const Where& where,
                                            PackedItems& packed) {
    if (!value.isObject())
        throw DecodeFault{QStringLiteral("%1 is %2 instead of an object").arg(where(), typeName(value))};
    const QJsonObject object = value.toObject();
    NookGroup group;
    group.id = requiredUuid(object, where);
    group.name = required(object, kName, QJsonValue::String, where).toString();
    const QJsonArray items = required(object, kItems, QJsonValue::Array, where).toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        decodeItem(
            items.at(i),
            [&] {
                return QStringLiteral("%1 (\"%2\"), item %3").arg(where(), group.name.left(40)).arg(i + 1);
            },
            packed);
    }
    return {group, items.size()};
}

} // namespace

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(const QString& text) {
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < 36; ++i) {
        const char16_t c = text.at(i).unicode();
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (dash ? c != u'-' : !hex)
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

namespace {

// How the compact document writer writes each ASCII character: the letter of its short
// escape ("\n"), 'u' for a "\u00xx" escape, or 0 for the character itself. "/" is
// escaped too.
constexpr std::array<char, 0x80> kAsciiEscapes = [] {
    std::array<char, 0x80> escapes{};
    for (int c = 0; c < 0x20; ++c)
        escapes[c] = 'u';
    const char plain[] = "\"\\/\b\f\n\r\t";
    const char letter[] = "\"\\/bfnrt";
    for (std::size_t i = 0; i + 1 < sizeof plain; ++i)
        escapes[static_cast<unsigned char>(plain[i])] = letter[i];
    return escapes;
}();

// A JSON string as the compact document writer gives it: ASCII as above, a lone
// surrogate as "\udxxx", everything else raw UTF-8.
void appendString(QByteArray& out, const QString& text) {
    static const char hex[] = "0123456789abcdef";
    const auto escapeUnit = [&](char16_t u) {
        const char escaped[] = {'\\',        'u', hex[u >> 12], hex[(u >> 8) & 0xf], hex[(u >> 4) & 0xf],
                                hex[u & 0xf]};
        out.append(escaped, 6);
    };
    out.append('"');
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = units[i];
        if (u < 0x80) {
            const char escape = kAsciiEscapes[u];
            if (escape == 0) {
                out.append(char(u));
            } else if (escape == 'u') {
                escapeUnit(u);
            } else {
                const char pair[] = {'\\', escape};
                out.append(pair, 2);
            }
        } else if (u < 0x800) {
            out.append(char(0xc0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3f)));
        } else if (QChar::isHighSurrogate(u) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t c = QChar::surrogateToUcs4(u, units[++i]);
            const char bytes[] = {char(0xf0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3f)),
                                  char(0x80 | ((c >> 6) & 0x3f)), char(0x80 | (c & 0x3f))};
            out.append(bytes, 4);
        } else if (QChar::isSurrogate(u)) {
            escapeUnit(u);
        } else {
            const char bytes[] = {char(0xe0 | (u >> 12)), char(0x80 | ((u >> 6) & 0x3f)),
                                  char(0x80 | (u & 0x3f))};
            out.append(bytes, 3);
        }
    }
    out.append('"');
}

void appendUuid(QByteArray& out, const QUuid& id) {
    out.append('"');
    out.append(id.toByteArray(QUuid::WithoutBraces).toUpper());
    out.append('"');
}

} // namespace

QByteArray encode(const QList<NookGroup>& groups) {
    // Written directly rather than through a JSON document: ten times faster for a
    // long list, same bytes (keys in the document writer's sorted order).
    QByteArray out;
    qsizetype estimate = 2;
    for (const NookGroup& group : groups)
        estimate += 100 + group.name.size() * 3 + group.items.size() * 160;
    out.reserve(estimate);
    out.append('[');
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const NookGroup& group = groups.at(g);
        if (g > 0)
            out.append(',');
        out.append("{\"id\":");
        appendUuid(out, group.id);
        out.append(",\"items\":[");
        for (qsizetype i = 0; i < group.items.size(); ++i) {
            const NookItem& item = group.items.at(i);
            if (i > 0)
                out.append(',');
            out.append("{\"bookmarkData\":\"");
            const QByteArray base64 = item.bookmarkData.toBase64();
            for (const char c : base64) {
                if (c == '/')
                    out.append("\\/", 2);
                else
                    out.append(c);
            }
            out.append("\",\"id\":");
            appendUuid(out, item.id);
            out.append(",\"name\":");
            appendString(out, item.name);
            out.append('}');
        }
        out.append("],\"name\":");
        appendString(out, group.name);
        out.append('}');
    }
    out.append(']');
    return out;
}

std::optional<QList<NookGroup>> decode(const QByteArray& bytes, QString* error, int* renewed) {
    const auto fail = [&](const QString& message) -> std::optional<QList<NookGroup>> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("the file is empty"));

    QList<std::pair<NookGroup, qsizetype>> found;
    PackedItems packed;
    {
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
        found.reserve(array.size());
        try {
            for (qsizetype i = 0; i < array.size(); ++i) {
                found.append(decodeGroup(
                    array.at(i), [i] { return QStringLiteral("group %1").arg(i + 1); }, packed));
            }
        } catch (const DecodeFault& fault) {
            return fail(fault.message);
        }
    } // the document is gone: the items are made where it was
    QList<NookGroup> groups;
    groups.reserve(found.size());
    for (auto& [group, count] : found) {
        group.items = packed.take(count);
        groups.append(std::move(group));
    }

    // Ids are shared by no two records, groups and items alike.
    QSet<QUuid> seen;
    int fresh = 0;
    const auto makeUnique = [&](QUuid& id) {
        if (!seen.contains(id)) {
            seen.insert(id);
            return;
        }
        do {
            id = QUuid::createUuid();
        } while (seen.contains(id));
        seen.insert(id);
        ++fresh;
    };
    for (NookGroup& group : groups) {
        makeUnique(group.id);
        for (NookItem& item : group.items)
            makeUnique(item.id);
    }
    if (renewed)
        *renewed = fresh;
    return groups;
}

} // namespace NookCodec
