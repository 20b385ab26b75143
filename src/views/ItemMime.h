#pragma once

#include <QByteArrayList>
#include <QHash>
#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>
#include <QUuid>

// What items dragged out of the grid carry besides their targets: their ids, under one
// format for a reorder drag and another for a plain drag that may leave the panel.
namespace ItemMime {

inline const QString kReorder = QStringLiteral("application/x-tuckaway-item-id");
inline const QString kOutgoing = QStringLiteral("application/x-tuckaway-outgoing-item");

// The ids of the panel's own items a drag carries, one a line, in the grid's order.
inline QByteArray encodeIDs(const QList<QUuid>& ids) {
    QByteArrayList lines;
    for (const QUuid& id : ids)
        lines << id.toByteArray(QUuid::WithoutBraces);
    return lines.join('\n');
}

// The ids of the panel's own items in this drag; none when it is not one of the panel's.
inline QList<QUuid> itemIDs(const QMimeData* mime) {
    QList<QUuid> ids;
    for (const QString& format : {kReorder, kOutgoing}) {
        if (!mime || !mime->hasFormat(format))
            continue;
        for (const QByteArray& line : mime->data(format).split('\n')) {
            const QUuid id = QUuid::fromString(QString::fromLatin1(line));
            if (!id.isNull())
                ids << id;
        }
        break;
    }
    return ids;
}

// The page titles a browser's drop carries beside its addresses, by address: pairs of lines
// "address\ntitle" in text/x-moz-url (UTF-16) or _NETSCAPE_URL (UTF-8).
inline QHash<QUrl, QString> titles(const QMimeData* mime) {
    QHash<QUrl, QString> found;
    const auto read = [&found](const QString& text) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
            const QUrl url(lines.at(i).trimmed());
            const QString title = lines.at(i + 1).trimmed();
            if (url.isValid() && !title.isEmpty() && !found.contains(url))
                found.insert(url, title);
        }
    };
    if (mime->hasFormat(QStringLiteral("text/x-moz-url"))) {
        QStringDecoder utf16(QStringDecoder::Utf16LE, QStringDecoder::Flag::ConvertInitialBom);
        read(QString(utf16(mime->data(QStringLiteral("text/x-moz-url")))).remove(QChar(0)));
    }
    if (mime->hasFormat(QStringLiteral("_NETSCAPE_URL")))
        read(QString::fromUtf8(mime->data(QStringLiteral("_NETSCAPE_URL"))));
    return found;
}

} // namespace ItemMime
