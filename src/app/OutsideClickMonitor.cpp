#include "OutsideClickMonitor.h"

#include "X11ClickMonitor.h"

#include <QGuiApplication>

std::unique_ptr<OutsideClickMonitor> OutsideClickMonitor::createForPlatform() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return X11ClickMonitor::create();
    return nullptr;
}
