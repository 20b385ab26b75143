#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

// Where the panel goes: next to the desktop's panel (the "dock"), at the pointer.
// The rules are written for coordinates with the origin at the bottom left of the
// primary screen and y growing upwards ("flipped" below); Qt's coordinates are
// converted into and out of them here and nowhere else.
namespace PanelPlacement {

enum class DockEdge { Left, Right, Bottom, Top };

// A screen's full and usable rectangles, in flipped coordinates.
struct ScreenFrames {
    QRectF frame;
    QRectF visibleFrame;
};

// A dock that leaves this much room or less counts as hidden.
constexpr double kHiddenDockLimit = 5.0;
constexpr double kHiddenDockThickness = 79.0;
// The one even gap between the panel and the desktop's panel (the edge of the usable
// area), whichever edge that is on and whichever screen.
constexpr int kBarGap = 6;

DockEdge dockEdge(const ScreenFrames& screen);
double dockThickness(const ScreenFrames& screen);

// The anchor's origin (a 1 x 1 point), flipped. Only bottom and top docks use x;
// left and right docks take the pointer's y.
QPointF anchorOrigin(const ScreenFrames& screen, double x, double mouseY);

// Conversions. `referenceBottom` is the bottom edge of the primary screen in Qt
// coordinates (its y + height): flipped y = referenceBottom - Qt y.
ScreenFrames flipped(const QRect& geometry, const QRect& available, int referenceBottom);
double flippedY(double qtY, int referenceBottom);
// The anchor's 1 x 1 rectangle in Qt coordinates.
QRectF anchorRect(const QPointF& flippedOrigin, int referenceBottom);

// The panel's rectangle in Qt coordinates: kBarGap inside the usable area's edge on the
// dock's side, centred on the anchor along the dock, then moved (and if need be shrunk)
// into the usable area.
QRect panelRect(const QRectF& anchor, DockEdge edge, const QSize& size, const QRect& available);

// Moves a rectangle into the usable area, shrinking it only when it cannot fit.
QRect keepInside(const QRect& rect, const QRect& available);

} // namespace PanelPlacement
