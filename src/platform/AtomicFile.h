#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace AtomicFile {

// Replaces the file at `path` (a symlink's target where it is one) with `bytes` in one
// step: a temporary file beside it, flushed and synced, then renamed over it. When any
// step fails the old file stays as it was, and `error` says why.
bool write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
           QString* error);

} // namespace AtomicFile
