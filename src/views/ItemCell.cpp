#include "views/ItemCell.h"

#include "views/PanelPainting.h"

#include <QCache>
#include <QPainter>
#include <QPainterPath>

namespace {

void paintIcon(QPainter& painter, const QRectF& rect, const std::optional<QIcon>& icon,
               const QPalette& palette) {
    if (icon) {
        const QSize side(qCeil(rect.width()), qCeil(rect.height()));
        const QPixmap pixmap = icon->pixmap(side, painter.device()->devicePixelRatioF());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect, pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(PanelPainting::foreground(palette, 0.1));
        painter.drawRoundedRect(rect, 12, 12);
    }
}

} // namespace

QStringList ItemCell::nameLines(const QString& name, const QFont& font, double width) {
    // Layout of text is the costly part of painting a cell; names rarely change.
    static QCache<QString, QStringList> cache(2000);
    const QString key =
        name + QLatin1Char('\x1f') + QString::number(width) + QLatin1Char('\x1f') + font.key();
    if (const QStringList* lines = cache.object(key))
        return *lines;

    // Two lines at most, broken between words only: the first takes the words that fit whole,
    // the second the rest. A word too long for a line is cut short with an ellipsis rather
    // than broken, so that no line starts in the middle of a word.
    const QFontMetricsF metrics(font);
    const auto fits = [&](const QString& text) { return metrics.horizontalAdvance(text) <= width; };
    const auto elided = [&](const QString& text) { return metrics.elidedText(text, Qt::ElideRight, width); };
    const QStringList words = name.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList lines;
    if (!words.isEmpty()) {
        qsizetype taken = 1;
        QString first = words.first();
        while (taken < words.size() && fits(first + QLatin1Char(' ') + words.at(taken)))
            first += QLatin1Char(' ') + words.at(taken++);
        lines << (fits(first) ? first : elided(first));
        if (taken < words.size())
            lines << elided(words.mid(taken).join(QLatin1Char(' ')));
    }
    cache.insert(key, new QStringList(lines));
    return lines;
}

void ItemCell::paint(QPainter& painter, const QPointF& origin, const NookItem& item, const Look& look,
                     const QPalette& palette) const {
    painter.save();
    painter.translate(origin);
    painter.setRenderHint(QPainter::Antialiasing);

    if (look.selected)
        PanelPainting::paintSelection(painter, m_metrics.bounds().adjusted(-3, -4, 3, 2), palette, 10);
    if (look.hovered) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(PanelPainting::foreground(palette, 0.07));
        painter.drawRoundedRect(m_metrics.bounds().adjusted(-3, -4, 3, 2), 10, 10);
    }
    const double opacity = look.opacity * (look.missing ? kMissingOpacity : 1.0);

    painter.save();
    painter.setOpacity(opacity);
    const QRectF icon = m_metrics.iconRect();
    painter.translate(icon.center());
    painter.scale(look.scale, look.scale);
    paintIcon(painter, icon.translated(-icon.center()), look.icon, palette);
    painter.restore();

    painter.save();
    painter.setOpacity(opacity);
    const QFont font = PanelPainting::systemFont(kNameFontSize);
    painter.setFont(font);
    painter.setPen(PanelPainting::foreground(palette, 0.7));
    const QRectF name = m_metrics.nameRect();
    const double lineHeight = QFontMetricsF(font).height();
    const QStringList lines = nameLines(item.name, font, name.width());
    for (int i = 0; i < lines.size(); ++i) {
        painter.drawText(QRectF(name.left() - 4, name.top() + i * lineHeight, name.width() + 8, lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop, lines.at(i));
    }
    painter.restore();

    if (look.missing)
        paintMissingMark(painter, icon, palette);
    PanelPainting::paintRemoveBadge(painter, m_metrics.badgeRect(), look.badge);
    painter.restore();
}

// A small "?" on a disc at the icon's lower right: the target is not where it was.
void ItemCell::paintMissingMark(QPainter& painter, const QRectF& icon, const QPalette& palette) {
    const double side = 16;
    const QRectF disc(icon.right() - side + 3, icon.bottom() - side + 3, side, side);
    painter.save();
    painter.setPen(QPen(palette.color(QPalette::Window), 1.5));
    painter.setBrush(QColor(0xe0, 0x8a, 0x00));
    painter.drawEllipse(disc);
    painter.setPen(Qt::white);
    painter.setFont(PanelPainting::systemFont(11, QFont::Bold));
    painter.drawText(disc, Qt::AlignCenter, QStringLiteral("?"));
    painter.restore();
}

QPixmap ItemCell::dragPreview(const std::optional<QIcon>& icon, double iconSize, const QPalette& palette,
                              double devicePixelRatio) {
    const int side = qCeil(iconSize);
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, side, side), 12, 12);
    painter.setClipPath(shape);
    paintIcon(painter, QRectF(0, 0, side, side), icon, palette);
    return pixmap;
}
