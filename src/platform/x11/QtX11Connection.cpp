#include "platform/x11/QtX11Connection.h"

#include <QGuiApplication>

xcb_connection_t* qtX11Connection() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return x11->connection();
    return nullptr;
}
