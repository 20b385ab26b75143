#pragma once

#include "app/AppAction.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class GlobalShortcut;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The application's place in the desktop's panel: a left click toggles the panel, the
// menu offers the settings, export and import of the nooks, and quitting. Where the icon
// is a window of its own (an X11 tray), the pointer resting on it loads the fonts and is
// reported (pointerRested), as a click is likely to follow.
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
    // The pointer has come to rest on the X11 tray icon, as it does before a click; once.
    void pointerRested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tellDrawn();
    void loadFonts();
    void stopWatchingWhenDone();

    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_tray;
    QAction* m_shortcutLine = nullptr;
    // The X11 tray's window, watched until it is painted and the fonts are loaded (Qt
    // deletes it when the icon is hidden).
    QPointer<QObject> m_trayWindow;
    bool m_drawn = false;
    bool m_fontsLoaded = false;
    QTimer m_restTimer;
};
