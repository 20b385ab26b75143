#pragma once

#include <QObject>

#include <functional>

class QMenu;
class QSystemTrayIcon;

// The application's place in the desktop's panel: a left click toggles the panel, the
// menu offers the settings and quitting.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void show();
    QSystemTrayIcon* systemTrayIcon() const { return m_tray; }
    QMenu* menu() const { return m_menu; }

signals:
    void clicked();
    void settingsRequested();
    void quitRequested();

private:
    QMenu* m_menu;
    QSystemTrayIcon* m_tray;
};
