#include "platform/HeldKeys.h"

#include "platform/x11/QtX11Connection.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace HeldKeys {

QSet<quint32> now() {
    QSet<quint32> held;
    xcb_connection_t* connection = qtX11Connection();
    if (!connection)
        return held;
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
