#include "app/AppIcon.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>

#include <cstring>
#include <optional>

namespace {

const QString kSvg = QStringLiteral(":/icons/app/org.tuckaway.Tuckaway.svg");

// The rendering the build made at `side` pixels, if any: premultiplied ARGB pixels as they lie
// in memory, so that nothing needs decoding.
QImage rendered(int side) {
    QFile file(AppIcon::renderedPath(side));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pixels = file.readAll();
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    if (pixels.size() != image.sizeInBytes())
        return {};
    std::memcpy(image.bits(), pixels.constData(), pixels.size());
    return image;
}

// Serves the sizes rendered from the SVG at build time as they are, so that showing the
// tray icon loads no SVG renderer; any other size or mode is rendered from the SVG, as
// Qt's own engine would, when first asked for.
class AppIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (mode == QIcon::Normal && size.width() == size.height()) {
            const QString key = AppIcon::renderedPath(size.width());
            QPixmap cached;
            if (QPixmapCache::find(key, &cached))
                return cached;
            if (const QImage image = rendered(size.width()); !image.isNull()) {
                cached = QPixmap::fromImage(image);
                QPixmapCache::insert(key, cached);
                return cached;
            }
        }
        return svg().pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        QSize size = rect.size();
        if (painter->device())
            size *= painter->device()->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(size, mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = qMin(size.width(), size.height()); // the icon is square
        return {side, side};
    }

    // None, as for an SVG: the desktop asks for the sizes it shows.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {}; }

    QIconEngine* clone() const override { return new AppIconEngine; }
    QString key() const override { return QStringLiteral("AppIconEngine"); }

private:
    QIcon& svg() {
        if (!m_svg)
            m_svg = QIcon(kSvg);
        return *m_svg;
    }

    std::optional<QIcon> m_svg;
};

} // namespace

namespace AppIcon {

QIcon icon() {
    return QIcon(new AppIconEngine);
}

QIcon smallIcon() {
    return QIcon(icon().pixmap(32));
}

QString renderedPath(int size) {
    return QStringLiteral(":/icons/app/rendered/%1.argb").arg(size);
}

QIcon fromSvg() {
    return QIcon(kSvg);
}

} // namespace AppIcon
