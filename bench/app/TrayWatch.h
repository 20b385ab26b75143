#pragma once

#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

// Watches an X server for a process's tray icon docked in tint2's tray: a window of that
// process (by _NET_WM_PID) that tint2 has taken in (its wrapper window is a child of the
// window with class "tint2") and mapped, so it is on screen. Clicks the icon as the user
// would (XTEST) and sees the process's panel mapped, waiting for the X server to tell of
// changes rather than asking it over and over: on a machine of two cores, asking took CPU
// from the program being measured.
class TrayWatch {
public:
    explicit TrayWatch(const QByteArray& display)
        : m_connection(xcb_connect(display.constData(), nullptr)) {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_pidAtom = atom("_NET_WM_PID");
        // Windows made, mapped, unmapped or taken into a frame at the top.
        listen(m_root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        startDamage();
    }
    ~TrayWatch() { xcb_disconnect(m_connection); }
    TrayWatch(const TrayWatch&) = delete;
    TrayWatch& operator=(const TrayWatch&) = delete;

    // Looks for the tray's window; false while tint2 has not made it yet.
    bool findTray() {
        if (xcb_connection_has_error(m_connection))
            return false;
        m_tray = findClass(m_root, "tint2", 4);
        return m_tray.has_value();
    }

    enum class State { Absent, Docked, Drawn };

    // Docked: taken in and mapped; drawn: its pixels show more than one colour.
    State state(quint32 pid) {
        if (!m_tray)
            return State::Absent;
        for (xcb_window_t wrapper : children(*m_tray)) {
            for (xcb_window_t icon : children(wrapper)) {
                if (pidOf(icon) == pid && viewable(icon))
                    return drawn(icon) ? State::Drawn : State::Docked;
            }
        }
        return State::Absent;
    }

    std::optional<xcb_window_t> icon(quint32 pid) {
        if (!m_tray)
            return std::nullopt;
        for (xcb_window_t wrapper : children(*m_tray)) {
            for (xcb_window_t icon : children(wrapper)) {
                if (pidOf(icon) == pid)
                    return icon;
            }
        }
        return std::nullopt;
    }

    // A left click at the middle of `window`, `offset` pixels to the side: alternate offsets
    // keep two quick clicks from making a double click.
    bool click(xcb_window_t window, int offset) {
        const std::optional<std::pair<int16_t, int16_t>> at = middle(window, offset);
        if (!at)
            return false;
        fakeInput(XCB_MOTION_NOTIFY, 0, at->first, at->second);
        fakeInput(XCB_BUTTON_PRESS, 1, at->first, at->second);
        fakeInput(XCB_BUTTON_RELEASE, 1, at->first, at->second);
        return xcb_flush(m_connection) > 0;
    }

    // Moves the pointer onto `window`, to where click() would click, as a hand does: a jump
    // enters a window without moving over it, so a few steps follow, apart in time (the
    // program takes a pile of moves as one).
    bool pointAt(xcb_window_t window, int offset) {
        const std::optional<std::pair<int16_t, int16_t>> at = middle(window, offset);
        if (!at)
            return false;
        for (int step = 3; step >= 0; --step) {
            fakeInput(XCB_MOTION_NOTIFY, 0, int16_t(at->first - step), at->second);
            if (xcb_flush(m_connection) <= 0)
                return false;
            if (step > 0)
                usleep(10000);
        }
        return true;
    }

    // Whether a window of `pid` larger than an icon is mapped: the panel. Windows are
    // looked at once each, as they appear at the top or inside a window manager's frame.
    bool panelMapped(quint32 pid) {
        for (xcb_window_t top : children(m_root)) {
            if (m_seen.contains(top))
                continue;
            const QList<xcb_window_t> inside = children(top);
            if (pidOf(top) != 0 || !inside.isEmpty())
                m_seen.insert(top); // a frame not yet holding its client is looked at again
            consider(top, pid);
            for (xcb_window_t child : inside)
                consider(child, pid);
        }
        return std::any_of(m_panels.begin(), m_panels.end(), [this](xcb_window_t w) { return viewable(w); });
    }

    // Waits until a panel of `pid` is mapped (with `mapped` false: until none is); the time
    // it took in ms, or -1 after `timeoutMs`. Looks again whenever the X server tells of a
    // change, and every few ms in case a change came unannounced.
    double waitForPanel(quint32 pid, bool mapped, int timeoutMs) {
        return waitFor([&] { return panelMapped(pid) == mapped; }, timeoutMs);
    }

    // Forgets drawing seen so far in the process's panel windows.
    void forgetDrawing() {
        drain();
        m_drawnInto = false;
    }

    // Waits until the X server tells of drawing into a panel window since forgetDrawing()
    // (the program's paint reaching the screen); the time it took in ms, -1 after `timeoutMs`
    // or where the server has no DAMAGE extension.
    double waitForPanelDrawn(int timeoutMs) {
        if (!m_damageEvent)
            return -1;
        return waitFor([&] { return m_drawnInto; }, timeoutMs);
    }

    // Before watching another process.
    void forget() {
        m_seen.clear();
        m_panels.clear();
    }

private:
    // Waits until `done` holds: looks again whenever the X server tells of a change, and every
    // few ms in case a change came unannounced. The time it took in ms, or -1 after `timeoutMs`.
    template <typename Done> double waitFor(Done done, int timeoutMs) {
        constexpr int kLookAgainMs = 5;
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            drain();
            if (done())
                return timer.nsecsElapsed() / 1e6;
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0 || xcb_connection_has_error(m_connection))
                return -1;
            // Looking reads the connection: what came meanwhile is queued, not on the socket.
            if (xcb_generic_event_t* queued = xcb_poll_for_queued_event(m_connection)) {
                note(queued);
                continue;
            }
            pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&socket, 1, int(std::min<qint64>(left, kLookAgainMs)));
        }
    }

    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            note(event);
    }

    // Takes an event: only drawing into a watched window matters beyond waking up.
    void note(xcb_generic_event_t* event) {
        if (m_damageEvent && (event->response_type & 0x7f) == m_damageEvent)
            m_drawnInto = true;
        std::free(event);
    }

    // DAMAGE, spoken as it is like XTEST below: the server tells of every drawing into a
    // watched window, with no asking.
    enum DamageRequest : uint8_t { QueryVersion = 0, Create = 1 };
    static xcb_extension_t* damageExtension() {
        static xcb_extension_t damage = {"DAMAGE", 0};
        return &damage;
    }

    void startDamage() {
        const xcb_query_extension_reply_t* extension =
            xcb_get_extension_data(m_connection, damageExtension());
        if (!extension || !extension->present)
            return;
        // The version must be asked before anything else is asked of the extension.
        const uint32_t version[2] = {1, 1};
        const unsigned int sequence = damageRequest(QueryVersion, version, sizeof version, true);
        if (void* reply = xcb_wait_for_reply(m_connection, sequence, nullptr)) {
            std::free(reply);
            m_damageEvent = extension->first_event; // DamageNotify is its first event
        }
    }

    // Every drawing into `window`, as rectangles: one event or more per paint.
    void watchDrawing(xcb_window_t window) {
        if (!m_damageEvent)
            return;
        struct {
            uint32_t damage;
            xcb_window_t drawable;
            uint8_t level, pad[3];
        } create{xcb_generate_id(m_connection), window, 0 /* raw rectangles */, {}};
        static_assert(sizeof create == 12);
        damageRequest(Create, &create, sizeof create, false);
        xcb_flush(m_connection);
    }

    unsigned int damageRequest(DamageRequest minor, const void* body, size_t size, bool replied) {
        const xcb_protocol_request_t header = {2, damageExtension(), minor, uint8_t(!replied)};
        struct {
            uint8_t major, minor;
            uint16_t length;
        } head{};
        iovec parts[6];
        parts[2].iov_base = &head;
        parts[2].iov_len = sizeof head;
        parts[3].iov_base = const_cast<void*>(body);
        parts[3].iov_len = size;
        return xcb_send_request(m_connection, replied ? XCB_REQUEST_CHECKED : 0, parts + 2, &header);
    }

    void consider(xcb_window_t window, quint32 pid) {
        if (pidOf(window) != pid)
            return;
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (geometry && geometry->width > 50 && !m_panels.contains(window)) {
            m_panels << window;
            listen(window, XCB_EVENT_MASK_STRUCTURE_NOTIFY); // its own mapping, inside a frame
            watchDrawing(window);
        }
        free(geometry);
    }

    void listen(xcb_window_t window, uint32_t mask) {
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }

    // The middle of `window`, `offset` pixels to the side, in root coordinates.
    std::optional<std::pair<int16_t, int16_t>> middle(xcb_window_t window, int offset) {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!geometry)
            return std::nullopt;
        xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
            m_connection,
            xcb_translate_coordinates(m_connection, window, m_root, int16_t(geometry->width / 2 + offset),
                                      int16_t(geometry->height / 2)),
            nullptr);
        free(geometry);
        if (!at)
            return std::nullopt;
        const std::pair<int16_t, int16_t> point{at->dst_x, at->dst_y};
        free(at);
        return point;
    }

    // XTEST's FakeInput, sent as it is: no library for the extension is needed.
    void fakeInput(uint8_t type, uint8_t detail, int16_t x, int16_t y) {
        static xcb_extension_t xtest = {"XTEST", 0};
        struct Request {
            uint8_t major, minor;
            uint16_t length;
            uint8_t type, detail;
            uint16_t pad0;
            uint32_t time;
            xcb_window_t root;
            uint32_t pad1[2];
            int16_t x, y;
            uint8_t pad2[7];
            uint8_t device;
        } request{};
        static_assert(sizeof(Request) == 36);
        request.type = type;
        request.detail = detail;
        request.root = m_root;
        request.x = x;
        request.y = y;
        static const xcb_protocol_request_t header = {2, &xtest, 2 /* FakeInput */, 1};
        iovec parts[4];
        parts[2].iov_base = &request;
        parts[2].iov_len = sizeof(request);
        parts[3].iov_base = nullptr;
        parts[3].iov_len = 0;
        xcb_send_request(m_connection, 0, parts + 2, &header);
    }

    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return result;
    }

    QList<xcb_window_t> children(xcb_window_t window) {
        QList<xcb_window_t> result;
        xcb_query_tree_reply_t* reply =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
        if (!reply)
            return result;
        const xcb_window_t* list = xcb_query_tree_children(reply);
        result = QList<xcb_window_t>(list, list + xcb_query_tree_children_length(reply));
        free(reply);
        return result;
    }

    QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 64), nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        free(reply);
        return value;
    }

    quint32 pidOf(xcb_window_t window) {
        const QByteArray value = property(window, m_pidAtom, XCB_ATOM_CARDINAL);
        quint32 pid = 0;
        if (value.size() >= 4)
            std::memcpy(&pid, value.constData(), 4);
        return pid;
    }

    bool viewable(xcb_window_t window) {
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool result = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        free(reply);
        return result;
    }

    bool drawn(xcb_window_t window) {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!geometry)
            return false;
        xcb_get_image_reply_t* image =
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                              geometry->width, geometry->height, ~0u),
                                nullptr);
        free(geometry);
        if (!image)
            return false;
        const auto* pixels = reinterpret_cast<const quint32*>(xcb_get_image_data(image));
        const int count = xcb_get_image_data_length(image) / 4;
        const bool varied = std::any_of(pixels, pixels + count, [&](quint32 p) { return p != pixels[0]; });
        free(image);
        return varied;
    }

    std::optional<xcb_window_t> findClass(xcb_window_t window, const char* instance, int depth) {
        if (property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).startsWith(QByteArray(instance) + '\0'))
            return window;
        if (depth == 0)
            return std::nullopt;
        for (xcb_window_t child : children(window)) {
            if (const auto found = findClass(child, instance, depth - 1))
                return found;
        }
        return std::nullopt;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    uint8_t m_damageEvent = 0; // none: the server has no DAMAGE
    bool m_drawnInto = false;
    std::optional<xcb_window_t> m_tray;
    QSet<xcb_window_t> m_seen;
    QList<xcb_window_t> m_panels;
};
