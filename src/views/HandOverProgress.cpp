#include "views/HandOverProgress.h"

#include <QLocale>
#include <QPainter>

HandOverProgress::HandOverProgress(QWidget* parent)
    : QWidget(parent) {
    hide();
    setFixedHeight(kHeight);
    m_delay.setSingleShot(true);
    m_delay.setInterval(kShowDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &HandOverProgress::appear);
}

void HandOverProgress::setProgress(int handled, int total) {
    m_handled = handled;
    m_total = total;
    if (!m_running) {
        m_running = true;
        m_delay.start();
    }
    const QString text =
        qtTrId("handover.progress").arg(QLocale().toString(handled), QLocale().toString(total));
    setToolTip(text);
    setAccessibleName(text);
    update();
}

void HandOverProgress::finish() {
    m_running = false;
    m_delay.stop();
    hide();
}

void HandOverProgress::appear() {
    if (m_running)
        show();
}

void HandOverProgress::paintEvent(QPaintEvent*) {
    const double done = m_total > 0 ? std::clamp(double(m_handled) / m_total, 0.0, 1.0) : 0.0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Highlight));
    const double radius = height() / 2.0;
    painter.drawRoundedRect(QRectF(0, 0, std::max(width() * done, 2 * radius), height()), radius, radius);
}
