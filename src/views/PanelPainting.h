#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QRectF>
#include <QStringList>

class QPainter;

// Drawing pieces the panel's views share, all derived from the palette so that
// light and dark themes both work.
namespace PanelPainting {

// The palette's text colour at the given strength (1.0 primary, lower for secondary tones).
QColor foreground(const QPalette& palette, double opacity);

// The system font at a pixel size (the layout's sizes are device-independent pixels).
QFont systemFont(double pixelSize, QFont::Weight weight = QFont::Normal);

// The mark of the control the keyboard is on: a ring in the palette's highlight colour.
void paintFocusRing(QPainter& painter, const QRectF& rect, const QPalette& palette, double radius);

// The mark of a selected item: the palette's highlight colour, softened so that the icon
// and its name stay readable on it in light and dark themes.
void paintSelection(QPainter& painter, const QRectF& rect, const QPalette& palette, double radius);

// The white minus on a red disc that removes a tab or an item.
void paintRemoveBadge(QPainter& painter, const QRectF& rect, double progress);

// A monochrome symbol from the icon theme (or a bundled fallback), drawn in one colour.
QPixmap symbol(const QStringList& themeNames, const QString& fallback, int side, const QColor& color,
               double devicePixelRatio);

} // namespace PanelPainting
