#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace AtomicFile {

// Replaces the file at `path` (a symlink's target where it is one) with `bytes` in one
// step: a temporary file beside it, flushed and synced, then renamed over it. When any
// step fails the old file stays as it was, and `error` says why. Without `permissions`
// an existing file keeps its mode and a new one follows the umask.
//
// The temporary file has no name where the file system allows (O_TMPFILE), and is named
// only for the rename. Its name, ".<name>.tuckaway-partial-" and eight letters or digits,
// is one that nobody would pick for a file of their own.
bool write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
           QString* error);

// Removes what a write of `path` that was killed midway left beside it (beside a symlink's
// target): regular files of the user with a temporary file's name, and nothing else.
void removeLeftovers(const QString& path);

} // namespace AtomicFile
