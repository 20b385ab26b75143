#include "DisplaySession.h"

#include "WindowHints.h"

#include <QGuiApplication>

namespace {
bool swaySession() {
    return qEnvironmentVariableIsSet("SWAYSOCK") ||
           qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("sway"), Qt::CaseInsensitive);
}
} // namespace

DisplaySession DisplaySession::detect() {
    DisplaySession session;
    const QString platform = QGuiApplication::platformName();
    session.x11 = platform == QLatin1String("xcb");
    session.wayland =
        platform.startsWith(QLatin1String("wayland")) || (session.x11 && WindowHints::xwayland());
    session.placesWindows = session.x11 && !(session.wayland && swaySession());
    // Offscreen and other test platforms place windows as asked.
    if (!session.x11 && !session.wayland)
        session.placesWindows = true;
    return session;
}
