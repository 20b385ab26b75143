#pragma once

class QWidget;

// Window manager hints that Qt's window flags do not cover. They do nothing where the
// platform has no such notion.
namespace WindowHints {

// No taskbar or pager entry, and present on every virtual desktop. Window managers
// drop these when a window is hidden, so call it before every show.
void keepOffTaskbarOnAllDesktops(QWidget* window);

// Whether a compositing manager runs, so that translucent windows blend with what is
// behind them instead of showing black.
bool compositorRunning();

// Whether the X server is XWayland, the X server of a Wayland session.
bool xwayland();

} // namespace WindowHints
