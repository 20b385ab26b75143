#include "views/HeaderButton.h"

#include "views/PanelPainting.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int kSymbolSide = 16;
}

HeaderButton::HeaderButton(int side, QWidget* parent)
    : QAbstractButton(parent)
    , m_side(side) {
    setFixedSize(side, side);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
}

void HeaderButton::setSymbol(const QStringList& themeNames, const QString& fallback) {
    m_names = themeNames;
    m_fallback = fallback;
    update();
}

void HeaderButton::setEmphasized(bool emphasized) {
    m_emphasized = emphasized;
    update();
}

void HeaderButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (underMouse() || isDown()) {
        const int side = std::min(m_side, 28);
        const QRectF highlight(QPointF((width() - side) / 2.0, (height() - side) / 2.0), QSizeF(side, side));
        painter.setPen(Qt::NoPen);
        painter.setBrush(PanelPainting::foreground(palette(), isDown() ? 0.12 : 0.06));
        painter.drawRoundedRect(highlight, 6, 6);
    }
    if (hasFocus())
        PanelPainting::paintFocusRing(painter, QRectF(rect()).adjusted(2, 2, -2, -2), palette(), 6);
    const QColor color = PanelPainting::foreground(palette(), m_emphasized ? 1.0 : 0.6);
    const QPixmap symbol =
        PanelPainting::symbol(m_names, m_fallback, kSymbolSide, color, devicePixelRatioF());
    const QPointF origin((width() - kSymbolSide) / 2.0, (height() - kSymbolSide) / 2.0);
    painter.drawPixmap(origin, symbol);
}

void HeaderButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        animateClick();
    else
        QAbstractButton::keyPressEvent(event);
}
