#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <optional>

namespace AtomicFile {

// What tells one version of a file from another without reading it: which file it is on
// the disk, its size and when it was last written.
struct Stamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    friend bool operator==(const Stamp&, const Stamp&) = default;
};
// The stamp of what `path` leads to (symlinks followed); nothing when nothing is there.
std::optional<Stamp> stampOf(const QString& path);
// The stamp of an open file.
std::optional<Stamp> stampOf(int fd);

// Replaces only the file the caller means to replace, for files others may change too.
struct Guard {
    // Whether the file at `path` is the one to replace (nothing there counts as one). Asked
    // right before the rename about the file in place and, where the file system can
    // exchange two names in one step, right after about the file the exchange took away:
    // one that came meanwhile is put back in place, and the write is refused.
    std::function<bool(const QString& path)> expected;
    // Given a file that came and went within that exchange: the caller moves it where it
    // is kept (whatever stays at `path` is removed).
    std::function<void(const QString& path)> keep;
    bool refused = false; // out: another file was in place, and stays
    Stamp written;        // out: the new file's stamp
};

// Replaces the file at `path` (a symlink's target where it is one) with `bytes` in one
// step: a temporary file beside it, flushed and synced, then renamed over it. When any
// step fails the old file stays as it was, and `error` says why. Without `permissions`
// an existing file keeps its mode and a new one follows the umask.
//
// The temporary file has no name where the file system allows (O_TMPFILE), and is named
// only for the rename. Its name, ".<name>.tuckaway-partial-" and eight letters or digits,
// is one that nobody would pick for a file of their own.
bool write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions, QString* error,
           Guard* guard = nullptr);

// Removes what a write of `path` that was killed midway left beside it (beside a symlink's
// target): regular files of the user with a temporary file's name, and nothing else.
void removeLeftovers(const QString& path);

} // namespace AtomicFile
