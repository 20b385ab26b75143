#include "platform/x11/X11ClickMonitor.h"

#include "platform/LogCategories.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace {
constexpr uint32_t kLeftButton = 1;
constexpr uint32_t kRightButton = 3;
} // namespace

std::unique_ptr<X11ClickMonitor> X11ClickMonitor::create() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        qCWarning(lcX11) << "no connection to the X server for watching clicks";
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    xcb_input_xi_query_version_reply_t* version = nullptr;
    if (extension && extension->present)
        version = xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2),
                                                   nullptr);
    const bool usable = version && (version->major_version > 2 ||
                                    (version->major_version == 2 && version->minor_version >= 1));
    std::free(version);
    if (!usable) {
        qCWarning(lcX11) << "the X server has no XInput 2.1: clicks outside the panel are not seen";
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const unsigned root = screens.data->root;
    return std::unique_ptr<X11ClickMonitor>(new X11ClickMonitor(connection, root, extension->major_opcode));
}

X11ClickMonitor::X11ClickMonitor(xcb_connection_t* connection, unsigned root, unsigned char opcode)
    : m_connection(connection)
    , m_root(root)
    , m_opcode(opcode) {
    m_notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    m_notifier->setEnabled(false);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11ClickMonitor::readEvents);
}

X11ClickMonitor::~X11ClickMonitor() {
    m_notifier.reset(); // before its socket closes
    xcb_disconnect(m_connection);
}

bool X11ClickMonitor::start() {
    if (!m_active) {
        selectEvents(true);
        m_active = true;
        m_leftPressedInside = false;
        m_notifier->setEnabled(true);
        readEvents();
    }
    return true;
}

void X11ClickMonitor::stop() {
    if (!m_active)
        return;
    m_active = false;
    selectEvents(false);
    readEvents(); // drop what arrived before the server saw the change
}

void X11ClickMonitor::selectEvents(bool enabled) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.mask =
        enabled ? (XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE) : 0;
    xcb_input_xi_select_events(m_connection, m_root, 1, &mask.head);
    xcb_flush(m_connection);
}

void X11ClickMonitor::readEvents() {
    // Asking for the pointer reads the socket as well, so whatever it queued is handled here too.
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        int type = 0;
        uint32_t button = 0;
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC) {
            const auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
            if (generic->extension == m_opcode) {
                type = generic->event_type;
                button = reinterpret_cast<xcb_input_raw_button_press_event_t*>(event)->detail;
            }
        }
        std::free(event);
        if (m_active)
            handleButton(type, button);
    }
}

void X11ClickMonitor::handleButton(int type, uint32_t button) {
    if (type == XCB_INPUT_RAW_BUTTON_PRESS && button == kLeftButton) {
        // A gesture that begins in one of our windows (a drag out of the panel, say) ends
        // with a release elsewhere; that release is no click into another application.
        m_leftPressedInside = pointerIsOverOwnWindow();
    } else if (type == XCB_INPUT_RAW_BUTTON_RELEASE && button == kLeftButton) {
        const bool startedInside = m_leftPressedInside;
        m_leftPressedInside = false;
        if (!startedInside && !pointerIsOverOwnWindow())
            emit clickedOutside();
    } else if (type == XCB_INPUT_RAW_BUTTON_PRESS && button == kRightButton) {
        if (!pointerIsOverOwnWindow())
            emit clickedOutside();
    }
}

bool X11ClickMonitor::pointerIsOverOwnWindow() {
    QSet<unsigned> own;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->handle() && window->isVisible())
            own.insert(static_cast<unsigned>(window->winId()));
    }
    // Walk down from the root through the windows under the pointer: a window manager's
    // frame or a panel's tray holds our window further down.
    xcb_window_t window = m_root;
    for (int depth = 0; window != XCB_WINDOW_NONE && depth < 16; ++depth) {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, window), nullptr);
        if (!reply)
            return false;
        window = reply->child;
        std::free(reply);
        if (own.contains(window))
            return true;
    }
    return false;
}
