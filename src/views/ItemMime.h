#pragma once

#include <QMimeData>
#include <QUuid>

#include <optional>

// What an item dragged out of the grid carries besides its target: its id, under one
// format for a reorder drag and another for a plain drag that may leave the panel.
namespace ItemMime {

inline const QString kReorder = QStringLiteral("application/x-tuckaway-item-id");
inline const QString kOutgoing = QStringLiteral("application/x-tuckaway-outgoing-item");

// The id of the panel's own item in this drag, if it is one.
inline std::optional<QUuid> itemID(const QMimeData* mime) {
    for (const QString& format : {kReorder, kOutgoing}) {
        if (mime && mime->hasFormat(format)) {
            const QUuid id = QUuid::fromString(QString::fromLatin1(mime->data(format)));
            return id.isNull() ? std::nullopt : std::optional(id);
        }
    }
    return std::nullopt;
}

} // namespace ItemMime
