#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The data file on disk, taken as hostile: it may be missing, a fifo, a device, a
// folder, a symlink to any of these, or far too large. Only a regular file of sane size
// is read, and reading never blocks on a fifo.
namespace DataFile {

constexpr qint64 kSizeLimit = 64 * 1024 * 1024;

struct Contents {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    QByteArray bytes;
    QString reason;                         // why it is unreadable
    bool regular = false;                   // a regular file (through symlinks) stands there
    std::optional<AtomicFile::Stamp> stamp; // of the file the bytes were read from
};

Contents read(const QString& path, qint64 sizeLimit = kSizeLimit);

// Keeps what stands at `path` under a name no earlier copy has ("<path>.unreadable",
// "-2", ...): a regular file is copied, so a symlink to it keeps working; anything else
// is moved aside whole, so the new file can take its place. Returns the new name.
QString keepAside(const QString& path, bool regular, QString* error);

// `base` when nothing has that name, else the first of "<base>-2", "-3", ... that is free.
QString unusedName(const QString& base);

// "<path>.conflict-<local date and time>", as 2026-12-07-041457: where a version of the file
// that could not be merged is kept.
QString conflictName(const QString& path);

// Removes the temporary files an interrupted save of `path` left beside it: only names of
// our own writer, never a copy the user keeps beside it.
void removeStaleTemporaries(const QString& path);

// Creates the folder and any missing parents for the owner only, and makes an existing
// one private when it belongs to the user (following a symlink to it).
void makePrivateFolder(const QString& folder);

} // namespace DataFile
