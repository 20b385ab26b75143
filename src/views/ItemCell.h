#pragma once

#include "model/NookItem.h"

#include <QIcon>
#include <QPalette>
#include <QRectF>

#include <optional>

class QPainter;

// One item of the grid: its icon above its name. The grid creates no widget per
// item; it keeps the few cells in view and paints them with this, so groups of
// thousands of items cost only what is on screen.
class ItemCell {
public:
    // The cell's parts, relative to the cell's top-left corner, for an icon side s.
    struct Metrics {
        double iconSize;
        double width() const { return iconSize + 12; }      // the name box is the widest part
        double height() const { return iconSize + 6 + 28; } // icon, gap, two-line name box
        QRectF bounds() const { return {0, 0, width(), height()}; }
        QRectF iconRect() const { return {6, 0, iconSize, iconSize}; }
        QRectF iconStackRect() const { return {2, 0, iconSize + 8, iconSize}; }
        QRectF nameRect() const { return {0, iconSize + 6, iconSize + 12, 28}; }
        // Overhangs the icon's top-right corner by 8 to the right and 8 upwards.
        QRectF badgeRect() const {
            const QRectF stack = iconStackRect();
            return {stack.right() - kBadgeSide + 8, stack.top() - 8, kBadgeSide, kBadgeSide};
        }
    };
    static constexpr double kBadgeSide = 18;
    static constexpr double kHoverScale = 1.08;
    static constexpr double kDraggingOpacity = 0.4;
    static constexpr double kNameFontSize = 10;
    static constexpr double kMissingOpacity = 0.45;

    // What a cell looks like at this moment.
    struct Look {
        std::optional<QIcon> icon; // none: the placeholder
        double scale = 1.0;
        double opacity = 1.0;
        double badge = 0.0; // 0 hidden, 1 shown; in between while it comes or goes
        bool hovered = false;
        bool selected = false; // under the palette's highlight
        bool missing = false;  // the target was not found: dimmed, with a small mark
    };

    explicit ItemCell(double iconSize)
        : m_metrics{iconSize} {}
    const Metrics& metrics() const { return m_metrics; }

    void paint(QPainter& painter, const QPointF& origin, const NookItem& item, const Look& look,
               const QPalette& palette) const;

    // The name broken into at most two centred lines, the second cut at its end.
    static QStringList nameLines(const QString& name, const QFont& font, double width);

    static QPixmap dragPreview(const std::optional<QIcon>& icon, double iconSize, const QPalette& palette,
                               double devicePixelRatio);

private:
    static void paintMissingMark(QPainter& painter, const QRectF& icon, const QPalette& palette);

    Metrics m_metrics;
};
