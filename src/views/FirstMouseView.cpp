#include "views/FirstMouseView.h"

#include <QEvent>
#include <QWindow>

FirstMouseView::FirstMouseView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::ClickFocus);
}

bool FirstMouseView::event(QEvent* event) {
    // The window exists only once the panel is shown, and may be made anew.
    if (event->type() == QEvent::Show || event->type() == QEvent::ParentChange ||
        event->type() == QEvent::WinIdChange)
        watchWindow();
    return QWidget::event(event);
}

void FirstMouseView::watchWindow() {
    QWindow* window = this->window()->windowHandle();
    if (window == m_window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
}

bool FirstMouseView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::MouseButtonPress && !m_window->isActive())
        m_window->requestActivate();
    return false; // the press goes on to the content
}
