#include "model/DataFile.h"

#include "platform/AtomicFile.h"
#include "platform/PrivateFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
        contents.stamp = AtomicFile::stampOf(path);
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
    contents.stamp = AtomicFile::stampOf(fd);
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

QString unusedName(const QString& base) {
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

QString conflictName(const QString& path) {
    return path + QStringLiteral(".conflict-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

QString keepAside(const QString& path, bool regular, QString* error) {
    const QString copy = unusedName(path + QStringLiteral(".unreadable"));
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
    AtomicFile::removeLeftovers(path);
}

void makePrivateFolder(const QString& folder) {
    PrivateFolder::make(folder);
}

} // namespace DataFile
