#pragma once

// The panel's layout numbers in device-independent pixels. The preferences hold the
// user's choices (columns, icon size, height); the sizes that follow from them are
// worked out here, so the window, the grid and the tests agree on one set.
namespace PanelMetrics {

// The grid of items.
inline constexpr double kGridPadding = 16; // around the cells
inline constexpr double kColumnSpacing = 8;
inline constexpr double kRowSpacing = 12;
inline constexpr double kColumnExtra = 20; // a column is this much wider than its icon

// The panel.
inline constexpr double kCornerRadius = 16;
inline constexpr double kFrameExtra = 48; // beside the columns, both sides together

// The row of tabs.
inline constexpr int kTabRowMarginX = 12;
inline constexpr int kTabRowMarginY = 8;
inline constexpr int kTabSpacing = 4;

constexpr double columnWidth(double iconSize) {
    return iconSize + kColumnExtra;
}

constexpr double columnsWidth(int columns, double iconSize) {
    return columns * columnWidth(iconSize) + (columns - 1) * kColumnSpacing;
}

constexpr double frameWidth(int columns, double iconSize) {
    return columnsWidth(columns, iconSize) + kFrameExtra;
}

} // namespace PanelMetrics
