#include "platform/PrivateFolder.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFolder {

bool createMissing(const QString& folder) {
    QString path;
    for (const QString& part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        ::mkdir(QFile::encodeName(path).constData(), 0700);
    }
    struct stat info {};
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool make(const QString& folder) {
    if (!createMissing(folder))
        return false;
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 0777) != 0700)
        ::chmod(native.constData(), 0700);
    return true;
}

} // namespace PrivateFolder
