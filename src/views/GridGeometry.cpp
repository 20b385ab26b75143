#include "views/GridGeometry.h"

#include "views/PanelMetrics.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

using PanelMetrics::kColumnSpacing;
using PanelMetrics::kGridPadding;
using PanelMetrics::kRowSpacing;

double GridGeometry::columnWidth() const {
    return PanelMetrics::columnWidth(iconSize);
}

double GridGeometry::rowStride() const {
    return cellMetrics().height() + kRowSpacing;
}

double GridGeometry::left() const {
    // Centred in the whole width, so the columns stay put when the scroll bar comes and
    // goes; the scroll bar then lies in the right padding.
    const double columnsWidth = PanelMetrics::columnsWidth(columns, iconSize);
    const double centred = std::min((width - columnsWidth) / 2.0, viewportWidth - columnsWidth - 4);
    return std::max(centred, kGridPadding);
}

QRectF GridGeometry::cellRect(int index) const {
    if (index < 0 || index >= count)
        return {};
    const ItemCell::Metrics metrics = cellMetrics();
    const int row = index / columns;
    const int column = index % columns;
    const double x =
        left() + column * (columnWidth() + kColumnSpacing) + (columnWidth() - metrics.width()) / 2;
    const double y = kGridPadding + row * rowStride() - scroll;
    return {x, y, metrics.width(), metrics.height()};
}

QRectF GridGeometry::badgeRect(int index) const {
    return cellMetrics().badgeRect().translated(cellRect(index).topLeft());
}

int GridGeometry::indexAt(const QPointF& pos) const {
    const double x = pos.x() - left();
    const double y = pos.y() + scroll - kGridPadding;
    if (x < 0 || y < 0)
        return -1;
    const int column = int(x / (columnWidth() + kColumnSpacing));
    const int index = int(y / rowStride()) * columns + column;
    if (column >= columns || index >= count || !cellRect(index).contains(pos))
        return -1;
    return index;
}

QList<int> GridGeometry::indexesIn(const QRectF& rect) const {
    QList<int> touched;
    if (count == 0 || rect.isEmpty())
        return touched;
    // Only the rows the rectangle spans are looked at, however many items there are.
    const int firstRow = std::max(0, int(std::floor((rect.top() + scroll - kGridPadding) / rowStride())));
    const int lastRow = int(std::floor((rect.bottom() + scroll - kGridPadding) / rowStride()));
    for (int index = firstRow * columns; index < count && index < (lastRow + 1) * columns; ++index) {
        if (cellRect(index).intersects(rect))
            touched << index;
    }
    return touched;
}

QSize GridGeometry::contentSize() const {
    const int rows = (count + columns - 1) / columns;
    const double height =
        2 * kGridPadding + rows * cellMetrics().height() + std::max(0, rows - 1) * kRowSpacing;
    const double width = 2 * kGridPadding + PanelMetrics::columnsWidth(columns, iconSize);
    return {qCeil(width), qCeil(height)};
}

int GridGeometry::scrollMaximum() const {
    return std::max(0, contentSize().height() - int(viewportHeight));
}

std::pair<int, int> GridGeometry::visibleRange() const {
    if (count == 0)
        return {0, -1};
    const double top = scroll - kGridPadding;
    // One row more at each end, for the badge that overhangs a cell's top.
    const int firstRow = std::max(0, int(std::floor(top / rowStride())) - 1);
    const int lastRow = int(std::floor((top + viewportHeight) / rowStride())) + 1;
    return {firstRow * columns, std::min(count - 1, (lastRow + 1) * columns - 1)};
}

int GridGeometry::pageRows() const {
    return std::max(1, int(viewportHeight / rowStride()));
}

int GridGeometry::scrollToShow(int index) const {
    const QRectF cell = cellRect(index);
    if (cell.isEmpty())
        return scroll;
    if (cell.top() - kGridPadding < 0)
        return scroll + qFloor(cell.top() - kGridPadding);
    if (cell.bottom() + kGridPadding > viewportHeight)
        return scroll + qCeil(cell.bottom() + kGridPadding - viewportHeight);
    return scroll;
}
