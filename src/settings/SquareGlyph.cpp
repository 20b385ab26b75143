#include "settings/SquareGlyph.h"

#include <QPainter>

SquareGlyph::SquareGlyph(int side, QWidget* parent)
    : QWidget(parent)
    , m_side(side) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SquareGlyph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = m_side >= 16 ? 1.6 : 1.2;
    painter.setPen(QPen(palette().color(QPalette::WindowText), pen));
    QRectF square(0, 0, m_side - pen, m_side - pen);
    square.moveCenter(QRectF(rect()).center());
    painter.drawRoundedRect(square, m_side * 0.22, m_side * 0.22);
}
