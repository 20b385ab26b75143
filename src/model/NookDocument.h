#pragma once

#include "model/NookGroup.h"

#include <QHash>
#include <QUrl>

#include <optional>

// Nooks in a portable form, for export and import: a JSON document with plain paths and
// no bookmarks, readable by people and by other programs:
//   {"tuckaway-nooks": 1, "nooks": [{"name": "Work", "items": [{"name": "Plan",
//    "path": "/home/me/plan.txt"}]}]}
namespace NookDocument {

constexpr int kVersion = 1;
// Longer names are no names of ours (the bus takes no longer ones either).
constexpr int kMaxNameLength = 1000;

// Each item with the path its target has now (moved targets are looked for, so this may take
// long: any thread); one whose target is gone with the path it was added with. An item with
// no path at all is left out. How many items went in.
QByteArray encode(const QList<NookGroup>& groups, int* items = nullptr);

struct Nook {
    QString name;
    QList<QUrl> urls;           // in the document's order
    QHash<QUrl, QString> names; // the items' names, where they had one
};
// Nothing for anything but such a document, and `error` says what is wrong where.
std::optional<QList<Nook>> decode(const QByteArray& bytes, QString* error);

} // namespace NookDocument
