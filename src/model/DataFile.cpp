#include "model/DataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DataFile {

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a fifo");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

} // namespace

Contents read(const QString& path, qint64 sizeLimit) {
    Contents contents;
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking, so a fifo put in the file's place cannot hold up the start.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return contents; // also a dangling symlink: the first save creates its target
        contents.state = Contents::State::Unreadable;
        contents.reason = QStringLiteral("%1: %2").arg(path, systemError());
        struct stat info {};
        contents.regular = ::stat(native.constData(), &info) == 0 && S_ISREG(info.st_mode);
        return contents;
    }
    const auto unreadable = [&](const QString& reason) {
        ::close(fd);
        contents.state = Contents::State::Unreadable;
        contents.reason = QStringLiteral("%1: %2").arg(path, reason);
        return contents;
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return unreadable(systemError());
    if (!S_ISREG(info.st_mode))
        return unreadable(kindOf(info.st_mode));
    contents.regular = true;
    if (info.st_size > sizeLimit)
        return unreadable(QStringLiteral("%1 bytes, more than a data file can hold").arg(info.st_size));

    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        // One byte beyond the expected size tells a file that grew meanwhile.
        if (done == bytes.size()) {
            if (bytes.size() > sizeLimit)
                return unreadable(QStringLiteral("more than %1 bytes").arg(sizeLimit));
            bytes.resize(bytes.size() + 4096);
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return unreadable(systemError());
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    bytes.truncate(done);
    contents.state = Contents::State::Read;
    contents.bytes = bytes;
    return contents;
}

QString keepAside(const QString& path, bool regular, QString* error) {
    QString copy = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n)
        copy = path + QStringLiteral(".unreadable-%1").arg(n);
    if (!regular) {
        if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(copy).constData()) != 0) {
            *error = QStringLiteral("could not move %1 aside as %2: %3").arg(path, copy, systemError());
            return QString();
        }
        return copy;
    }
    QFile file(path);
    if (!file.copy(copy)) {
        *error =
            QStringLiteral("could not keep the unreadable %1 as %2: %3").arg(path, copy, file.errorString());
        return QString();
    }
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copy;
}

void removeStaleTemporaries(const QString& path) {
    // Where the saves go: beside a symlink's target when the data file is one.
    const QFileInfo target(QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : path);
    const QDir folder = target.dir();
    // The names a save's temporary file gets: the file's name, a dot, six letters or digits.
    const QRegularExpression temporary(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(target.fileName())));
    const QStringList names = folder.entryList({target.fileName() + QStringLiteral(".??????")},
                                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!temporary.match(name).hasMatch())
            continue;
        const QByteArray native = QFile::encodeName(folder.filePath(name));
        struct stat info {};
        if (::lstat(native.constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid())
            ::unlink(native.constData());
    }
}

void makePrivateFolder(const QString& folder) {
    QString path;
    for (const QString& part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        ::mkdir(QFile::encodeName(path).constData(), 0700);
    }
    // A folder made by an earlier version, or by hand, may be open to everyone.
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
        (info.st_mode & 0777) != 0700)
        ::chmod(native.constData(), 0700);
}

} // namespace DataFile
