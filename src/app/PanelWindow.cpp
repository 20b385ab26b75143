#include "app/PanelWindow.h"

#include "views/PanelMetrics.h"

#include <QCloseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>

PanelWindow::PanelWindow(bool translucent)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_translucent(translucent) {
    setWindowTitle(QStringLiteral("Tuckaway"));
    setObjectName(QStringLiteral("TuckawayPanel"));
    if (translucent)
        setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void PanelWindow::setContent(QWidget* content) {
    layout()->addWidget(content);
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    // Accepted, so that quitting (which closes every window first) is never refused; the
    // window only hides and is kept for the next showing. The controller stops watching.
    QWidget::closeEvent(event);
    emit closeRequested();
}

void PanelWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_translucent)
        return;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), PanelMetrics::kCornerRadius, PanelMetrics::kCornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}
