#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

constexpr QLatin1StringView kMark(".tuckaway-partial-");
constexpr int kRandomLength = 8;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Where the bytes go: the end of a chain of symlinks (also a dangling one, whose target the
// write creates), else the path itself.
QString finalTarget(const QString& path) {
    QFileInfo file(QFileInfo(path).absoluteFilePath());
    for (int depth = 0; depth < 40 && file.isSymLink(); ++depth)
        file.setFile(file.symLinkTarget());
    return file.isSymLink() ? QFileInfo(path).absoluteFilePath() : file.absoluteFilePath();
}

QString temporaryName(const QString& target) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString random;
    for (int i = 0; i < kRandomLength; ++i)
        random += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    const QFileInfo file(target);
    return file.path() + QLatin1String("/.") + file.fileName() + kMark + random;
}

mode_t modeOf(QFileDevice::Permissions permissions) {
    static const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR},  {QFileDevice::WriteOwner, S_IWUSR},
        {QFileDevice::ExeOwner, S_IXUSR},   {QFileDevice::ReadUser, S_IRUSR},
        {QFileDevice::WriteUser, S_IWUSR},  {QFileDevice::ExeUser, S_IXUSR},
        {QFileDevice::ReadGroup, S_IRGRP},  {QFileDevice::WriteGroup, S_IWGRP},
        {QFileDevice::ExeGroup, S_IXGRP},   {QFileDevice::ReadOther, S_IROTH},
        {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH}};
    mode_t mode = 0;
    for (const auto& [permission, bit] : bits) {
        if (permissions.testFlag(permission))
            mode |= bit;
    }
    return mode;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Gives an unnamed file (O_TMPFILE) the name `name`; fails when something has that name.
bool link(int fd, const QString& name) {
    const QByteArray source = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, source.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                    AT_SYMLINK_FOLLOW) == 0;
}

Stamp stampFrom(const struct stat& info) {
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

// Renames `temporary` (our file, open as `fd`) over `target` when the guard expects what is there. Where the
// file system can exchange the two names, a file that took the place between the look and the rename is
// seen after it and put back, so no rename of another writer is ever undone unseen.
bool replaceGuarded(int fd, const QString& temporary, const QString& target, Guard& guard) {
    const QByteArray ours = QFile::encodeName(temporary);
    const QByteArray theirs = QFile::encodeName(target);
    const auto refuse = [&] {
        ::unlink(ours.constData());
        guard.refused = true;
        return false;
    };
    if (!guard.expected(target))
        return refuse();
    if (::renameat2(AT_FDCWD, ours.constData(), AT_FDCWD, theirs.constData(), RENAME_EXCHANGE) != 0) {
        // Nothing there to exchange with, or no exchange on this file system: a plain rename.
        if (errno != ENOENT && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return false;
        return ::rename(ours.constData(), theirs.constData()) == 0;
    }
    if (guard.expected(temporary)) {
        ::unlink(ours.constData()); // the file we replaced
        return true;
    }
    // Another file came meanwhile: back in its place. Should a third have come within these two steps, it
    // is the one taken away now, and kept.
    if (::renameat2(AT_FDCWD, ours.constData(), AT_FDCWD, theirs.constData(), RENAME_EXCHANGE) != 0) {
        if (guard.keep)
            guard.keep(temporary);
        ::unlink(ours.constData());
        return true; // ours stays in place, the other is kept
    }
    const std::optional<Stamp> mine = stampOf(fd);
    const std::optional<Stamp> taken = stampOf(temporary);
    if (taken && mine && (taken->device != mine->device || taken->inode != mine->inode) && guard.keep)
        guard.keep(temporary);
    return refuse();
}

} // namespace

std::optional<Stamp> stampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return stampFrom(info);
}

std::optional<Stamp> stampOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return stampFrom(info);
}

bool write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions, QString* error,
           Guard* guard) {
    const QString target = finalTarget(path);
    const QByteArray nativeTarget = QFile::encodeName(target);
    const QByteArray folder = QFile::encodeName(QFileInfo(target).path());
    QString temporary; // named: the fallback, and the moment before the rename
    int fd = -1;
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(target, reason);
        if (fd >= 0)
            ::close(fd);
        if (!temporary.isEmpty())
            ::unlink(QFile::encodeName(temporary).constData()); // the old file stays
        return false;
    };

    struct stat existing {};
    const bool exists = ::stat(nativeTarget.constData(), &existing) == 0;
    // Linking an unnamed file needs /proc; without either, a named one it is.
    const bool unnamed = ::access("/proc/self/fd", X_OK) == 0 &&
                         (fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)) >= 0;
    for (int attempt = 0; !unnamed && fd < 0 && attempt < 16; ++attempt) {
        temporary = temporaryName(target);
        fd = ::open(QFile::encodeName(temporary).constData(),
                    O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const QString reason = systemError();
        temporary.clear(); // not ours
        return fail(reason);
    }
    if (permissions && ::fchmod(fd, modeOf(permissions)) != 0)
        return fail(systemError());
    if (!permissions && exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return fail(systemError());
    // Every byte on the disk before the rename, so that a full disk never replaces the old file with a stub.
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        return fail(systemError());
    // A new file appears whole under its name in one step; an existing one is replaced by a rename.
    const bool created = unnamed && !exists && link(fd, target);
    if (unnamed && !created) {
        bool linked = false;
        for (int attempt = 0; !linked && attempt < 16; ++attempt) {
            temporary = temporaryName(target);
            linked = link(fd, temporary);
            if (!linked && errno != EEXIST)
                break;
        }
        if (!linked) {
            const QString reason = systemError();
            temporary.clear();
            return fail(reason);
        }
    }
    if (!created && guard) {
        if (!replaceGuarded(fd, temporary, target, *guard)) {
            const QString reason = guard->refused ? QString() : systemError();
            if (guard->refused)
                temporary.clear(); // removed, or the file that stays
            return fail(reason);
        }
    } else if (!created &&
               ::rename(QFile::encodeName(temporary).constData(), nativeTarget.constData()) != 0) {
        return fail(systemError());
    }
    if (guard)
        guard->written = stampOf(fd).value_or(Stamp());
    ::close(fd);
    // The new name on the disk too.
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void removeLeftovers(const QString& path) {
    const QFileInfo target(finalTarget(path));
    const QDir folder = target.dir();
    // Matched by hand: the start-up needs neither regular expressions nor name filters.
    const QString prefix = QLatin1Char('.') + target.fileName() + kMark;
    const auto isLeftover = [&prefix](const QString& name) {
        if (name.size() != prefix.size() + kRandomLength || !name.startsWith(prefix))
            return false;
        return std::all_of(name.cbegin() + prefix.size(), name.cend(), [](QChar c) {
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        });
    };
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& name : names) {
        if (!isLeftover(name))
            continue;
        const QByteArray native = QFile::encodeName(folder.filePath(name));
        struct stat info {};
        if (::lstat(native.constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            ::unlink(native.constData());
    }
}

} // namespace AtomicFile
