#include "app/PanelPlacement.h"

#include <algorithm>
#include <cmath>

namespace PanelPlacement {

namespace {
struct Gaps {
    double bottom;
    double left;
    double right;
    double top;
};

Gaps gaps(const ScreenFrames& screen) {
    const QRectF& f = screen.frame;
    const QRectF& v = screen.visibleFrame;
    // QRectF's top() is its smallest y: in flipped coordinates that is the bottom edge.
    return {v.top() - f.top(), v.left() - f.left(), f.right() - v.right(), f.bottom() - v.bottom()};
}
} // namespace

DockEdge dockEdge(const ScreenFrames& screen) {
    const Gaps g = gaps(screen);
    if (g.bottom < g.left && g.right < g.left)
        return DockEdge::Left;
    if (g.bottom < g.right && g.left < g.right)
        return DockEdge::Right;
    // A panel along the top, common on Linux desktops, when the other edges are free.
    if (g.bottom <= kHiddenDockLimit && g.left <= kHiddenDockLimit && g.right <= kHiddenDockLimit &&
        g.top > kHiddenDockLimit)
        return DockEdge::Top;
    return DockEdge::Bottom;
}

double dockThickness(const ScreenFrames& screen) {
    const Gaps g = gaps(screen);
    switch (dockEdge(screen)) {
    case DockEdge::Left:
        return g.left;
    case DockEdge::Right:
        return g.right;
    case DockEdge::Top:
        return g.top;
    case DockEdge::Bottom:
        break;
    }
    return g.bottom;
}

QPointF anchorOrigin(const ScreenFrames& screen, double x, double mouseY) {
    const QRectF& f = screen.frame;
    const double t = dockThickness(screen);
    const double d = t > kHiddenDockLimit ? t : kHiddenDockThickness;
    switch (dockEdge(screen)) {
    case DockEdge::Left:
        return {f.left() + d - 0.5, mouseY};
    case DockEdge::Right:
        return {f.right() - d - 0.5, mouseY};
    case DockEdge::Top:
        return {x - 0.5, f.bottom() - d - 24.0};
    case DockEdge::Bottom:
        break;
    }
    return {x - 0.5, f.top() + d + 24.0};
}

double flippedY(double qtY, int referenceBottom) {
    return referenceBottom - qtY;
}

ScreenFrames flipped(const QRect& geometry, const QRect& available, int referenceBottom) {
    const auto flip = [referenceBottom](const QRect& r) {
        return QRectF(r.x(), referenceBottom - (r.y() + r.height()), r.width(), r.height());
    };
    return {flip(geometry), flip(available)};
}

QRectF anchorRect(const QPointF& flippedOrigin, int referenceBottom) {
    return {flippedOrigin.x(), referenceBottom - flippedOrigin.y() - 1.0, 1.0, 1.0};
}

QRect keepInside(const QRect& rect, const QRect& available) {
    if (available.isEmpty())
        return rect;
    const int width = std::min(rect.width(), available.width());
    const int height = std::min(rect.height(), available.height());
    const int x = std::clamp(rect.x(), available.left(), available.left() + available.width() - width);
    const int y = std::clamp(rect.y(), available.top(), available.top() + available.height() - height);
    return {x, y, width, height};
}

QRect panelRect(const QRectF& anchor, DockEdge edge, const QSize& size, const QRect& available) {
    const double w = size.width();
    const double h = size.height();
    const QPointF centre = anchor.center();
    double x = 0;
    double y = 0;
    // Only the side along the dock follows the anchor; the distance to the bar is always
    // the same, whatever the bar's thickness (the anchor's lift serves another desktop's dock).
    const double availableRight = available.x() + available.width();
    const double availableBottom = available.y() + available.height();
    switch (edge) {
    case DockEdge::Bottom:
        x = centre.x() - w / 2;
        y = (available.isEmpty() ? anchor.top() : availableBottom) - kBarGap - h;
        break;
    case DockEdge::Top:
        x = centre.x() - w / 2;
        y = (available.isEmpty() ? anchor.bottom() : available.y()) + kBarGap;
        break;
    case DockEdge::Left:
        x = (available.isEmpty() ? anchor.right() : available.x()) + kBarGap;
        y = centre.y() - h / 2;
        break;
    case DockEdge::Right:
        x = (available.isEmpty() ? anchor.left() : availableRight) - kBarGap - w;
        y = centre.y() - h / 2;
        break;
    }
    const QRect rect(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), size.width(),
                     size.height());
    return keepInside(rect, available);
}

} // namespace PanelPlacement
