#include "OutsideClickMonitor.h"

#include "ActivationClickMonitor.h"
#include "X11ClickMonitor.h"

#include <QGuiApplication>

std::unique_ptr<OutsideClickMonitor> OutsideClickMonitor::createForPlatform() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto monitor = X11ClickMonitor::create())
            return monitor;
    }
    return std::make_unique<ActivationClickMonitor>();
}
