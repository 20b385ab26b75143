#include "model/FileUrls.h"

#include <QDir>

namespace FileUrls {

std::optional<QString> localPath(const QUrl& url) {
    if (!url.isValid() || url.scheme() != QLatin1String("file"))
        return std::nullopt;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return std::nullopt; // another machine's file, not one of ours of that name
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return std::nullopt;
    return QDir::cleanPath(path);
}

} // namespace FileUrls
