#pragma once

#include "app/AppAction.h"

#include <QObject>

#include <functional>
#include <memory>

class GlobalShortcut;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The application's place in the desktop's panel: a left click toggles the panel, the
// menu offers the settings, export and import of the nooks, and quitting.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override; // the menu has no parent: it is a top-level window

    // Shows the icon; drawn() follows once the tray has it on screen.
    void show();
    // Says in the menu and the tooltip when the shortcut's keys are held by another program,
    // and has the shortcut try them again whenever the user opens the menu.
    void followShortcut(GlobalShortcut* shortcut);
    QSystemTrayIcon* systemTrayIcon() const { return m_tray; }
    QMenu* menu() const { return m_menu.get(); }

signals:
    void actionRequested(AppAction action);
    // The icon has been painted in an X11 tray; at once (from the event loop) where the tray
    // draws it itself from what it reads on the bus, or where there is no tray.
    void drawn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tellDrawn();

    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_tray;
    QAction* m_shortcutLine = nullptr;
    QObject* m_trayWindow = nullptr; // the X11 tray's window until it is painted
};
