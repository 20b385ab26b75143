#include "platform/HeldKeys.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace HeldKeys {

QSet<quint32> now() {
    QSet<quint32> held;
    // Other platforms may offer an X11 interface of their own (offscreen does): only xcb's is a keyboard.
    auto* x11 = qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")
                    ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    if (!x11)
        return held;
    xcb_connection_t* connection = x11->connection();
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply)
        return held;
    // One bit per key code, lowest first.
    for (quint32 code = 0; code < 256; ++code) {
        if (reply->keys[code / 8] & (1u << (code % 8)))
            held.insert(code);
    }
    std::free(reply);
    return held;
}

} // namespace HeldKeys
