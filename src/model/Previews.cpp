#include "model/Previews.h"

#include "model/BackgroundWork.h"
#include "platform/LogCategories.h"
#include "platform/xdg/ThumbnailerService.h"

#include <QImageReader>
#include <QPainter>

namespace {

QString gaveUpKey(const QString& uri, const ThumbnailCache::Stamp& stamp) {
    return uri + QLatin1Char(' ') + QString::number(stamp.mtime);
}

} // namespace

Previews::Found Previews::look(const QString& path, const QMimeType& type, int pixels) {
    Found found;
    const std::optional<ThumbnailCache::Stamp> stamp = ThumbnailCache::stampOf(path);
    if (!stamp)
        return found;
    found.path = path;
    found.stamp = *stamp;
    if (const std::optional<QImage> thumbnail = ThumbnailCache::find(path, *stamp, pixels)) {
        found.image = fitted(*thumbnail, pixels);
        return found;
    }
    found.makeable = !ThumbnailCache::hasFailed(path, *stamp);
    found.mimeTypes = QStringList{type.name()} + type.allAncestors();
    found.isPicture = QImageReader::supportedMimeTypes().contains(type.name().toLatin1());
    return found;
}

// Scaled to fit and centred on a square, as the cells draw icons square; an opaque picture gets
// a faint edge and clipped corners, so a white page still stands out from a light panel. No
// antialiased path: rasterizing one cost more than decoding the thumbnail.
QImage Previews::fitted(const QImage& thumbnail, int pixels) {
    if (thumbnail.isNull())
        return {};
    const QImage image = thumbnail.width() > pixels || thumbnail.height() > pixels
                             ? thumbnail.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : thumbnail;
    const int side = std::max(image.width(), image.height());
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    const QRect area(QPoint((side - image.width()) / 2, (side - image.height()) / 2), image.size());
    QPainter painter(&square);
    painter.drawImage(area.topLeft(), image);
    if (image.pixelColor(0, 0).alpha() == 255) {
        painter.setPen(QColor(0, 0, 0, 56));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        for (const QPoint& corner : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
            painter.fillRect(QRect(corner, QSize(1, 1)), Qt::transparent);
    }
    return square;
}

Previews::Previews(int pixels, QObject* parent)
    : QObject(parent)
    , m_pixels(pixels) {
    m_answer->previews = this;
}

Previews::~Previews() {
    QMutexLocker lock(&m_answer->mutex);
    m_answer->previews = nullptr;
}

void Previews::make(const Found& found) {
    const QString uri = ThumbnailCache::uriOf(found.path);
    if (!found.makeable || m_making.contains(uri) || m_gaveUp.contains(gaveUpKey(uri, found.stamp)))
        return;
    m_making.insert(uri, found);
    if (!m_service) {
        m_service = new ThumbnailerService(this);
        connect(m_service, &ThumbnailerService::ready, this, &Previews::serviceReady);
        connect(m_service, &ThumbnailerService::failed, this, &Previews::giveUp);
        connect(m_service, &ThumbnailerService::declined, this, &Previews::serviceDeclined);
    }
    const QString flavor = ThumbnailCache::flavorName(ThumbnailCache::flavorFor(m_pixels));
    m_service->request(uri, found.mimeTypes, flavor);
}

void Previews::serviceReady(const QString& uri) {
    const auto found = m_making.constFind(uri);
    if (found == m_making.cend())
        return; // another program's request
    inBackground(uri, [wanted = *found, pixels = m_pixels] {
        const auto thumbnail = ThumbnailCache::find(wanted.path, wanted.stamp, pixels);
        return thumbnail ? fitted(*thumbnail, pixels) : QImage();
    });
}

void Previews::serviceDeclined(const QString& uri) {
    const auto found = m_making.constFind(uri);
    if (found == m_making.cend())
        return;
    if (!found->isPicture) {
        giveUp(uri);
        return;
    }
    inBackground(uri, [wanted = *found, pixels = m_pixels] { return makeHere(wanted, pixels); });
}

void Previews::giveUp(const QString& uri) {
    if (const auto found = m_making.constFind(uri); found != m_making.cend()) {
        m_gaveUp.insert(gaveUpKey(uri, found->stamp));
        m_making.erase(found);
    }
}

void Previews::finish(const QString& uri, const QImage& image) {
    if (!m_making.contains(uri))
        return; // answered already (the service may say "ready" twice)
    if (image.isNull()) {
        giveUp(uri);
        return;
    }
    const Found found = m_making.take(uri);
    emit made(found.path, image);
}

void Previews::inBackground(const QString& uri, std::function<QImage()> work) {
    BackgroundWork::run([answer = m_answer, uri, work = std::move(work)] {
        const QImage image = work();
        QMutexLocker lock(&answer->mutex);
        if (Previews* previews = answer->previews) {
            QMetaObject::invokeMethod(
                previews, [previews, uri, image] { previews->finish(uri, image); }, Qt::QueuedConnection);
        }
    });
}

// Worker thread: the picture read at about the size it is stored at, turned upright, stored in
// the cache for every program; a picture Qt cannot read is recorded as our failure.
QImage Previews::makeHere(const Found& found, int pixels) {
    const ThumbnailCache::Flavor flavor = ThumbnailCache::flavorFor(pixels);
    const int side = ThumbnailCache::flavorPixels(flavor);
    QImageReader reader(found.path);
    reader.setAutoTransform(true);
    QSize original = reader.size();
    if (original.width() > side || original.height() > side)
        reader.setScaledSize(original.scaled(side, side, Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        qCDebug(lcIcons) << "no picture in" << found.path << reader.errorString();
        ThumbnailCache::recordFailure(found.path, found.stamp);
        return {};
    }
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        original.transpose();
    const auto stored =
        ThumbnailCache::store(picture, original, found.path, found.stamp, flavor, found.mimeTypes.value(0));
    return fitted(stored.value_or(picture), pixels);
}
