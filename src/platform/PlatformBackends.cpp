// The one place that picks a backend for the running session; the interfaces know none.
#include "platform/OutsideClickMonitor.h"

#include "platform/x11/X11ClickMonitor.h"

#include <QGuiApplication>

std::unique_ptr<OutsideClickMonitor> OutsideClickMonitor::createForPlatform() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return X11ClickMonitor::create();
    return nullptr;
}
