#include "platform/WindowHints.h"

#include "platform/x11/QtX11Connection.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {
// Atoms last as long as the X server: each name is asked for once, and all that are not
// known yet in one round trip.
QList<xcb_atom_t> atoms(xcb_connection_t* connection, std::initializer_list<const char*> names) {
    static QHash<QByteArray, xcb_atom_t> known;
    QList<std::pair<QByteArray, xcb_intern_atom_cookie_t>> asked;
    for (const char* name : names) {
        if (!known.contains(name))
            asked.append(
                {name, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name)});
    }
    for (const auto& [name, cookie] : asked) {
        if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr)) {
            known.insert(name, reply->atom);
            std::free(reply);
        }
    }
    QList<xcb_atom_t> result;
    for (const char* name : names)
        result.append(known.value(name, XCB_ATOM_NONE));
    return result;
}
} // namespace

namespace WindowHints {

void keepOffTaskbarOnAllDesktops(QWidget* window) {
    xcb_connection_t* connection = qtX11Connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const QList<xcb_atom_t> names = atoms(connection, {"_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR",
                                                       "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_DESKTOP"});
    const xcb_atom_t state = names.at(0);
    QList<xcb_atom_t> states;
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr)) {
        if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
                states.append(values[i]);
        }
        std::free(reply);
    }
    // Qt merges its own states into what it finds on an unmapped window.
    for (const xcb_atom_t skip : {names.at(1), names.at(2)}) {
        if (!states.contains(skip))
            states.append(skip);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.constData());
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, names.at(3), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    xcb_flush(connection);
}

bool compositorRunning() {
    xcb_connection_t* connection = qtX11Connection();
    if (!connection)
        return true; // Wayland and the like always compose
    const xcb_atom_t selection = atoms(connection, {"_NET_WM_CM_S0"}).at(0);
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool running = reply && reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return running;
}

bool xwayland() {
    xcb_connection_t* connection = qtX11Connection();
    if (!connection)
        return false;
    static constexpr char kName[] = "XWAYLAND";
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, sizeof(kName) - 1, kName), nullptr);
    const bool present = reply && reply->present;
    std::free(reply);
    return present;
}

} // namespace WindowHints
