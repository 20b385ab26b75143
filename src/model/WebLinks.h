#pragma once

#include "model/NookItem.h"

#include <QHash>
#include <QSet>
#include <QUrl>

#include <optional>

// Web addresses kept as items: each is a link file (a desktop entry of Type=Link, with our
// marker) in a folder of our own below the data folder, which the item refers to like any
// file. Any thread.
namespace WebLinks {

// What a hand-over needs to turn web addresses into items: the folder of the link files
// (none: web addresses are refused as any other address that is no local file) and the
// page titles a drop carried, by address.
struct HandOver {
    QString folder;
    QHash<QUrl, QString> titles;
};

// http and https with a host: the addresses that become items.
bool isWebAddress(const QUrl& url);
QString folderIn(const QString& dataFolder);
// An item's name without a page title: host and path, "example.com/docs/page".
QString defaultName(const QUrl& url);
// One spelling per address, so the same page is found again: case, a default port and an
// empty path do not count.
QString addressKey(const QUrl& url);

struct Made {
    QString path;
    QString name;
};
// Writes the link file; its name is the title, cleaned up, else the default name.
std::optional<Made> make(const QString& folder, const QUrl& url, const QString& title);

// The address key of a link file, read once and remembered; with `rememberedOnly`, only what
// was remembered (no disk). Nothing for files that are no link of ours.
std::optional<QString> addressKeyOf(const QString& path, bool rememberedOnly = false);
// The address keys of those `items` whose files lie in `folder`.
QSet<QString> addressKeysOf(const QList<NookItem>& items, const QString& folder);

// The paths the items' records hold (no disk): what `removeUnreferenced` keeps.
QSet<QString> pathsOf(const QList<NookItem>& items);
// Removes the files in `folder` that carry our marker and are none of `referencedPaths` (the
// paths of every item, also of those an undo can still bring back); returns how many went.
int removeUnreferenced(const QString& folder, const QSet<QString>& referencedPaths);
// Removes the link files of items whose removal can no longer be undone (`forgottenPaths`):
// only ours, only in `folder`, and none another item still refers to (a copy in another nook).
int removeForgotten(const QString& folder, const QSet<QString>& forgottenPaths,
                    const QSet<QString>& referencedPaths);

} // namespace WebLinks
