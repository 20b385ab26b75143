#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The desktop's shared cache of thumbnails, $XDG_CACHE_HOME/thumbnails: one PNG per file and
// size, named after the MD5 of the file's URI, valid while its Thumb::MTime (and Thumb::Size,
// where it has one) match the file. File managers and thumbnailers keep it too, so what one
// of them made is shown here, and what is made here is theirs. Any thread.
namespace ThumbnailCache {

// The sizes, by their folders: normal 128, large 256, x-large 512, xx-large 1024 pixels.
enum class Flavor { Normal, Large, XLarge, XXLarge };
QString flavorName(Flavor flavor);
int flavorPixels(Flavor flavor);
// The smallest that is at least `pixels` wide (the largest for anything larger).
Flavor flavorFor(int pixels);

// What a thumbnail must carry to be valid for a file.
struct Stamp {
    qint64 mtime = 0; // seconds
    qint64 size = 0;  // bytes
    friend bool operator==(const Stamp&, const Stamp&) = default;
};
// Nothing for anything but a regular file we may read, or a file of the cache itself.
std::optional<Stamp> stampOf(const QString& path);

QString folder();
// The file's URI as the desktop spells it, and the name of its thumbnails.
QString uriOf(const QString& path);
QString fileNameOf(const QString& uri);

// The valid thumbnail of the file: of the flavor for `pixels`, else a larger, else a smaller one.
std::optional<QImage> find(const QString& path, const Stamp& stamp, int pixels);

// Stores `picture` (the file's picture, perhaps already scaled down from `original`) as the
// file's thumbnail of `flavor`, scaled down to fit, with the keys that describe the file;
// returns what was stored.
std::optional<QImage> store(const QImage& picture, const QSize& original, const QString& path,
                            const Stamp& stamp, Flavor flavor, const QString& mimeType);

// Our own record that a file could not be made into a thumbnail, valid as a thumbnail is.
bool hasFailed(const QString& path, const Stamp& stamp);
void recordFailure(const QString& path, const Stamp& stamp);
QString failFolder();

} // namespace ThumbnailCache
