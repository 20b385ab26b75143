#pragma once

#include <QPointer>
#include <QWidget>

// Lies behind the panel's content and makes a click into the panel act at once, also
// while the application is not active: the press reaches the widget under the pointer
// as usual, and the panel's window is activated on the way so that keys (Alt, Ctrl,
// typing) follow. It draws nothing and takes no mouse event for itself.
class FirstMouseView : public QWidget {
    Q_OBJECT
public:
    explicit FirstMouseView(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void watchWindow();

    QPointer<QWindow> m_window;
};
