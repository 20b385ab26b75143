#pragma once

#include <QColor>
#include <QPalette>

// Colours of the settings form derived from the palette, so light and dark themes both work.
namespace FormPalette {

inline QColor blend(const QColor& from, const QColor& to, qreal amount) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

// Section background: a shade between the window and the text, lighter than the window in light
// themes and raised above it in dark ones.
inline QColor sectionFill(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    return window.lightnessF() > 0.5 ? palette.color(QPalette::Base)
                                     : blend(window, palette.color(QPalette::WindowText), 0.07);
}

inline QColor hairline(const QPalette& palette) {
    return blend(palette.color(QPalette::Window), palette.color(QPalette::WindowText), 0.18);
}

} // namespace FormPalette
