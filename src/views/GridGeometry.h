#pragma once

#include "views/ItemCell.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <utility>

// Where the cells of the item grid lie: columns of equal width centred in the view,
// rows top to bottom, scrolled by `scroll`. Positions are in viewport coordinates.
struct GridGeometry {
    int columns = 4;
    double iconSize = 52;
    int count = 0;
    double width = 0;         // the whole view, scroll bar included
    double viewportWidth = 0; // without the scroll bar
    double viewportHeight = 0;
    int scroll = 0;

    ItemCell::Metrics cellMetrics() const { return {iconSize}; }
    double columnWidth() const;
    double rowStride() const;
    // The left edge of the first column.
    double left() const;

    // A cell's rectangle, which is all of its hit area; empty for an index out of range.
    QRectF cellRect(int index) const;
    QRectF badgeRect(int index) const;
    // The cell under a point, or -1.
    int indexAt(const QPointF& pos) const;
    // The cells a rectangle (a rubber band) touches, in order.
    QList<int> indexesIn(const QRectF& rect) const;
    QSize contentSize() const;
    int scrollMaximum() const;
    // First and last index of the cells at least partly in view; last < first when none.
    std::pair<int, int> visibleRange() const;
    // Whole rows that fit in the view, at least one.
    int pageRows() const;
    // The scroll position that brings a cell fully into view with its padding, moving least.
    int scrollToShow(int index) const;
};
