#include "platform/AtomicFile.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace AtomicFile {

bool write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
           QString* error) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.fileName(), reason);
        file.cancelWriting(); // the temporary file goes, the old one stays
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (permissions)
        file.setPermissions(permissions);
    // A write error that stays in the buffer shows only at commit, which renames all the
    // same: flush and sync first, so a full disk never replaces the old file with a stub.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (::fsync(file.handle()) != 0)
        return fail(QString::fromLocal8Bit(strerror(errno)));
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

} // namespace AtomicFile
