#include "platform/DisplaySession.h"

#include "platform/WindowHints.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

namespace {
bool swaySession() {
    return qEnvironmentVariableIsSet("SWAYSOCK") ||
           qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("sway"), Qt::CaseInsensitive);
}

// Older XWayland servers have no extension of their own but name their outputs after it.
bool xwaylandServer() {
    if (WindowHints::xwayland() || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return true;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [](QScreen* screen) { return screen->name().startsWith(QLatin1String("XWAYLAND")); });
}
} // namespace

DisplaySession DisplaySession::detect() {
    DisplaySession session;
    const QString platform = QGuiApplication::platformName();
    session.x11 = platform == QLatin1String("xcb");
    session.wayland = platform.startsWith(QLatin1String("wayland")) || (session.x11 && xwaylandServer());
    session.placesWindows = session.x11 && !(session.wayland && swaySession());
    // Offscreen and other test platforms place windows as asked.
    if (!session.x11 && !session.wayland)
        session.placesWindows = true;
    return session;
}
