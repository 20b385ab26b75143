#include "views/PanelPainting.h"

#include "platform/xdg/ThemeIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace PanelPainting {

QColor foreground(const QPalette& palette, double opacity) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QFont systemFont(double pixelSize, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(weight);
    return font;
}

void paintFocusRing(QPainter& painter, const QRectF& rect, const QPalette& palette, double radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

void paintSelection(QPainter& painter, const QRectF& rect, const QPalette& palette, double radius) {
    QColor fill = palette.color(QPalette::Highlight);
    QColor edge = fill;
    fill.setAlphaF(0.28);
    edge.setAlphaF(0.75);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

void paintRemoveBadge(QPainter& painter, const QRectF& rect, double progress) {
    if (progress <= 0.0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * std::min(progress, 1.0));
    const QPointF centre = rect.center();
    painter.translate(centre);
    painter.scale(progress, progress);
    const double radius = std::min(rect.width(), rect.height()) / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0x3b, 0x30));
    painter.drawEllipse(QPointF(0, 0), radius, radius);
    const double half = radius * 0.5;
    const double thickness = std::max(1.5, radius * 0.22);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(-half, -thickness / 2, 2 * half, thickness), thickness / 2, thickness / 2);
    painter.restore();
}

QPixmap symbol(const QStringList& themeNames, const QString& fallback, int side, const QColor& color,
               double devicePixelRatio) {
    const QIcon icon = ThemeIcons::themed(themeNames, fallback);
    const QSize size(side, side);
    QPixmap shape = icon.pixmap(size, devicePixelRatio);
    if (shape.isNull())
        return shape;
    // Theme icons come in whatever colours the theme chose; the header wants one tone.
    QPixmap result(shape.size());
    result.setDevicePixelRatio(shape.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), result.size()), color);
    return result;
}

} // namespace PanelPainting
