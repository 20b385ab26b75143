#include "platform/xdg/ThumbnailCache.h"

#include "platform/AtomicFile.h"
#include "platform/LogCategories.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ThumbnailCache {

namespace {

constexpr Flavor kFlavors[] = {Flavor::Normal, Flavor::Large, Flavor::XLarge, Flavor::XXLarge};

// Every folder of the cache is the user's alone: a thumbnail shows what a private file holds.
bool makeFolder(const QString& path) {
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent == path || !makeFolder(parent))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST;
}

bool matches(const QImage& image, const QString& uri, const Stamp& stamp) {
    if (image.isNull() || image.text(QStringLiteral("Thumb::URI")) != uri)
        return false;
    bool ok = false;
    if (image.text(QStringLiteral("Thumb::MTime")).toLongLong(&ok) != stamp.mtime || !ok)
        return false;
    const QString size = image.text(QStringLiteral("Thumb::Size"));
    return size.isEmpty() || size.toLongLong() == stamp.size;
}

bool write(QImage image, const QString& path, const QString& uri, const Stamp& stamp) {
    image.setText(QStringLiteral("Thumb::URI"), uri);
    image.setText(QStringLiteral("Thumb::MTime"), QString::number(stamp.mtime));
    image.setText(QStringLiteral("Thumb::Size"), QString::number(stamp.size));
    image.setText(QStringLiteral("Software"), QStringLiteral("Tuckaway " TUCKAWAY_VERSION));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!makeFolder(QFileInfo(path).path()) || !image.save(&buffer, "PNG") ||
        !AtomicFile::write(path, png, QFileDevice::ReadOwner | QFileDevice::WriteOwner, &error)) {
        qCDebug(lcIcons) << "no thumbnail written to" << path << error;
        return false;
    }
    return true;
}

} // namespace

QString flavorName(Flavor flavor) {
    static const char* const names[] = {"normal", "large", "x-large", "xx-large"};
    return QLatin1String(names[int(flavor)]);
}

int flavorPixels(Flavor flavor) {
    return 128 << int(flavor);
}

Flavor flavorFor(int pixels) {
    for (Flavor flavor : kFlavors) {
        if (flavorPixels(flavor) >= pixels)
            return flavor;
    }
    return Flavor::XXLarge;
}

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/thumbnails");
}

QString failFolder() {
    return folder() + QStringLiteral("/fail/tuckaway-" TUCKAWAY_VERSION);
}

std::optional<Stamp> stampOf(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::access(native.constData(), R_OK) != 0)
        return std::nullopt;
    if (path.startsWith(folder() + QLatin1Char('/'))) // no thumbnails of thumbnails
        return std::nullopt;
    return Stamp{qint64(info.st_mtime), qint64(info.st_size)};
}

QString uriOf(const QString& path) {
    // GLib's escaping, as the thumbnailers and the file managers built on it name the files.
    gchar* uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, nullptr);
    const QString result = uri ? QString::fromUtf8(uri) : QString();
    g_free(uri);
    return result;
}

QString fileNameOf(const QString& uri) {
    return QString::fromLatin1(QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

std::optional<QImage> find(const QString& path, const Stamp& stamp, int pixels) {
    const QString uri = uriOf(path);
    const QString name = fileNameOf(uri);
    const int wanted = int(flavorFor(pixels));
    QList<int> order;
    for (int i = wanted; i < 4; ++i)
        order << i;
    for (int i = wanted - 1; i >= 0; --i)
        order << i;
    for (int index : order) {
        const QString file =
            folder() + QLatin1Char('/') + flavorName(kFlavors[index]) + QLatin1Char('/') + name;
        if (!QFileInfo::exists(file))
            continue;
        const QImage image(file, "PNG");
        if (matches(image, uri, stamp))
            return image;
        qCDebug(lcIcons) << "stale thumbnail" << file << "of" << path;
    }
    return std::nullopt;
}

std::optional<QImage> store(const QImage& picture, const QSize& original, const QString& path,
                            const Stamp& stamp, Flavor flavor, const QString& mimeType) {
    const int side = flavorPixels(flavor);
    QImage thumbnail = picture.width() > side || picture.height() > side
                           ? picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : picture;
    thumbnail = thumbnail.convertToFormat(QImage::Format_ARGB32);
    thumbnail.setText(QStringLiteral("Thumb::Mimetype"), mimeType);
    thumbnail.setText(QStringLiteral("Thumb::Image::Width"), QString::number(original.width()));
    thumbnail.setText(QStringLiteral("Thumb::Image::Height"), QString::number(original.height()));
    const QString uri = uriOf(path);
    if (!write(thumbnail,
               folder() + QLatin1Char('/') + flavorName(flavor) + QLatin1Char('/') + fileNameOf(uri), uri,
               stamp))
        return std::nullopt;
    return thumbnail;
}

bool hasFailed(const QString& path, const Stamp& stamp) {
    const QString uri = uriOf(path);
    const QString file = failFolder() + QLatin1Char('/') + fileNameOf(uri);
    return QFileInfo::exists(file) && matches(QImage(file, "PNG"), uri, stamp);
}

void recordFailure(const QString& path, const Stamp& stamp) {
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    const QString uri = uriOf(path);
    write(empty, failFolder() + QLatin1Char('/') + fileNameOf(uri), uri, stamp);
}

} // namespace ThumbnailCache
