// The one place that picks a backend for the running session; the interfaces know none.
#include "platform/DesktopFileChooser.h"
#include "platform/GlobalShortcut.h"
#include "platform/OutsideClickMonitor.h"

#include "platform/portal/PortalFileChooser.h"
#include "platform/portal/PortalGlobalShortcut.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11GlobalShortcut.h"

#include <QGuiApplication>

std::unique_ptr<OutsideClickMonitor> OutsideClickMonitor::createForPlatform() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return X11ClickMonitor::create();
    return nullptr;
}

std::unique_ptr<GlobalShortcut> GlobalShortcut::createForSession() {
    // In a Wayland session a grab through XWayland would only see keys meant for X windows.
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland)
        return PortalGlobalShortcut::create();
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return X11GlobalShortcut::create();
    return nullptr;
}

void DesktopFileChooser::choose(const QString& title, Done done, std::function<void()> unavailable) {
    if (!PortalFileChooser::available()) {
        unavailable();
        return;
    }
    PortalFileChooser::choose(title, false, std::move(done), std::move(unavailable));
}
