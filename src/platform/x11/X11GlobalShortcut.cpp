#include "platform/x11/X11GlobalShortcut.h"

#include "platform/LogCategories.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// The states of Caps Lock (Lock) and Num Lock (Mod2 on every common layout).
constexpr uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                      XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

std::optional<uint32_t> keysymOf(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return uint32_t(key - Qt::Key_A + 'a'); // the unshifted symbol is the one on the key
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return uint32_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return uint32_t(0xffbe + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Escape:
        return 0xff1b;
    case Qt::Key_Tab:
        return 0xff09;
    case Qt::Key_Backspace:
        return 0xff08;
    case Qt::Key_Return:
        return 0xff0d;
    case Qt::Key_Insert:
        return 0xff63;
    case Qt::Key_Delete:
        return 0xffff;
    case Qt::Key_Pause:
        return 0xff13;
    case Qt::Key_Print:
        return 0xff61;
    case Qt::Key_Home:
        return 0xff50;
    case Qt::Key_Left:
        return 0xff51;
    case Qt::Key_Up:
        return 0xff52;
    case Qt::Key_Right:
        return 0xff53;
    case Qt::Key_Down:
        return 0xff54;
    case Qt::Key_PageUp:
        return 0xff55;
    case Qt::Key_PageDown:
        return 0xff56;
    case Qt::Key_End:
        return 0xff57;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<X11GlobalShortcut::Grab> X11GlobalShortcut::grabFor(QKeyCombination keys) {
    const std::optional<uint32_t> keysym = keysymOf(keys.key());
    if (!keysym)
        return std::nullopt;
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers();
    uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return Grab{*keysym, mask};
}

std::unique_ptr<X11GlobalShortcut> X11GlobalShortcut::create() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    return std::unique_ptr<X11GlobalShortcut>(new X11GlobalShortcut(connection, screens.data->root));
}

X11GlobalShortcut::X11GlobalShortcut(xcb_connection_t* connection, uint32_t root)
    : m_connection(connection)
    , m_root(root)
    , m_notifier(
          std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read)) {
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11GlobalShortcut::readEvents);
}

X11GlobalShortcut::~X11GlobalShortcut() {
    release();
    m_notifier.reset();
    xcb_disconnect(m_connection);
}

uint8_t X11GlobalShortcut::keycodeOf(uint32_t keysym) const {
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr);
    if (!mapping)
        return 0;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perCode = mapping->keysyms_per_keycode;
    uint8_t found = 0;
    for (int code = 0; code < count && !found; ++code) {
        for (int column = 0; column < perCode && !found; ++column) {
            if (symbols[code * perCode + column] == keysym)
                found = uint8_t(setup->min_keycode + code);
        }
    }
    std::free(mapping);
    return found;
}

void X11GlobalShortcut::release() {
    if (!m_keycode)
        return;
    for (uint16_t lock : kLockVariants)
        xcb_ungrab_key(m_connection, m_keycode, m_root, uint16_t(m_modifiers | lock));
    xcb_flush(m_connection);
    m_keycode = 0;
    m_held = false;
}

void X11GlobalShortcut::bind(const QKeySequence& keys) {
    release();
    if (keys.isEmpty()) {
        setStatus(Status::Off);
        return;
    }
    const std::optional<Grab> grab = grabFor(keys[0]);
    const uint8_t keycode = grab ? keycodeOf(grab->keysym) : 0;
    if (!keycode) {
        setStatus(Status::Unsupported);
        return;
    }
    bool taken = false;
    for (uint16_t lock : kLockVariants) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(m_connection, 1, m_root, uint16_t(grab->modifiers | lock), keycode,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            taken = true; // BadAccess: another client grabbed them first
            std::free(error);
        }
    }
    m_keycode = keycode;
    m_modifiers = grab->modifiers;
    if (taken) {
        qCInfo(lcX11) << keys.toString() << "is held by another program";
        release();
        setStatus(Status::Taken);
        return;
    }
    setStatus(Status::Bound);
}

void X11GlobalShortcut::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
            if (!m_held) {
                m_held = true;
                emit activated();
            }
        } else if (type == XCB_KEY_RELEASE) {
            // A repeat comes as a release and a press at the same time: still held.
            const auto* release = reinterpret_cast<xcb_key_release_event_t*>(event);
            xcb_generic_event_t* next = xcb_poll_for_queued_event(m_connection);
            const auto* press = reinterpret_cast<xcb_key_press_event_t*>(next);
            const bool repeat = next && (next->response_type & 0x7f) == XCB_KEY_PRESS &&
                                press->time == release->time && press->detail == release->detail;
            if (!repeat) {
                m_held = false;
                if (next && (next->response_type & 0x7f) == XCB_KEY_PRESS) {
                    m_held = true;
                    emit activated();
                }
            }
            std::free(next);
        }
        std::free(event);
    }
}
