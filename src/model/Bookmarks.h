#pragma once

#include "model/NookItem.h"

#include <QUrl>

#include <optional>

// An item's way back to its target. The bytes are opaque to the rest of the program:
// a small versioned record of the target's cleaned absolute path and its identity
// (device, inode, birth time). Resolving returns the path while something exists
// there (for a launcher, a .desktop file: while it is the recorded file); otherwise
// it searches the neighbourhood (the old folder, its parent, the home and XDG user
// folders; never the trash) for the same file, so a target that was renamed or moved
// is still found. The stored bytes are never rewritten.
// Thread-safe: the icon loader resolves from its worker threads.
namespace Bookmarks {

// Nothing for anything but an existing local file, folder or application.
std::optional<QByteArray> makeBookmark(const QUrl& url);

std::optional<QUrl> resolveBookmark(const NookItem& item);
std::optional<QString> resolvePath(const QByteArray& bookmarkData);

// How far one search may go before it gives up.
struct SearchLimits {
    int maxEntries = 20000;
    int maxMilliseconds = 300;
};
void setSearchLimits(const SearchLimits& limits);

// Forgets the remembered results of earlier searches (hits and misses).
void forgetSearches();

// At quit: searches under way give up at their next step and later ones do not start.
void stopSearches();

// Without any search: the recorded path while something (a launcher: the recorded file) exists there.
std::optional<QString> presentPath(const QByteArray& bookmarkData);
// The path the record holds, without looking at the file system; nothing for bytes
// that are no record.
std::optional<QString> recordedPath(const QByteArray& bookmarkData);
// Whether two records name the same file by identity (device, inode, birth time);
// false when either has none.
bool sameIdentity(const QByteArray& a, const QByteArray& b);
// The inode of a record's identity, 0 without one: a key for look-ups.
quint64 inodeOf(const QByteArray& bookmarkData);

} // namespace Bookmarks
