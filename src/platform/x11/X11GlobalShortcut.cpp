#include "platform/x11/X11GlobalShortcut.h"

#include "platform/LogCategories.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <iterator>
#include <utility>

namespace {

// The states of Caps Lock (Lock) and Num Lock (Mod2 on every common layout).
constexpr uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                      XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// The modifiers a shortcut may hold: Shift, Ctrl, Alt and Super.
constexpr uint16_t kModifierMask =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

std::optional<uint32_t> keysymOf(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return uint32_t(key - Qt::Key_A + 'a'); // the unshifted symbol is the one on the key
    if (key >= Qt::Key_Agrave && key <= Qt::Key_THORN && key != Qt::Key_multiply)
        return uint32_t(key + 0x20); // Ö, as on German keys, is the symbol ö
    if ((key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) || (key >= Qt::Key_nobreakspace && key <= 0xff))
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
    // Raw events pass every grab from XInput 2.1 on.
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(connection, &xcb_input_id);
    xcb_input_xi_query_version_reply_t* version = nullptr;
    if (input && input->present)
        version = xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2),
                                                   nullptr);
    const bool rawEvents = version && (version->major_version > 2 ||
                                       (version->major_version == 2 && version->minor_version >= 1));
    std::free(version);
    return std::unique_ptr<X11GlobalShortcut>(
        new X11GlobalShortcut(connection, screens.data->root, rawEvents ? input->major_opcode : 0));
}

X11GlobalShortcut::X11GlobalShortcut(xcb_connection_t* connection, uint32_t root, uint8_t inputOpcode)
    : m_connection(connection)
    , m_root(root)
    , m_inputOpcode(inputOpcode)
    , m_notifier(
          std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read)) {
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11GlobalShortcut::readEvents);
}

X11GlobalShortcut::~X11GlobalShortcut() {
    ungrab(m_grabbed);
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

// All four lock variants or none: a grab that another client holds in part is given back.
bool X11GlobalShortcut::grab(Keys keys) {
    xcb_void_cookie_t cookies[std::size(kLockVariants)];
    for (size_t i = 0; i < std::size(kLockVariants); ++i)
        cookies[i] =
            xcb_grab_key_checked(m_connection, 1, m_root, uint16_t(keys.modifiers | kLockVariants[i]),
                                 keys.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool held[std::size(kLockVariants)];
    bool all = true;
    for (size_t i = 0; i < std::size(kLockVariants); ++i) {
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookies[i]); // BadAccess: taken
        held[i] = !error;
        all = all && held[i];
        std::free(error);
    }
    for (size_t i = 0; i < std::size(kLockVariants) && !all; ++i) {
        if (held[i])
            xcb_ungrab_key(m_connection, keys.keycode, m_root, uint16_t(keys.modifiers | kLockVariants[i]));
    }
    xcb_flush(m_connection);
    readEventsLater();
    return all;
}

void X11GlobalShortcut::ungrab(Keys keys) {
    if (!keys.keycode)
        return;
    for (uint16_t lock : kLockVariants)
        xcb_ungrab_key(m_connection, keys.keycode, m_root, uint16_t(keys.modifiers | lock));
    // A round trip: once this returns, the keys are free for any other program.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    readEventsLater();
}

// Waiting for a reply reads the events that came before it, and the socket no longer
// signals them.
void X11GlobalShortcut::readEventsLater() {
    QMetaObject::invokeMethod(this, &X11GlobalShortcut::readEvents, Qt::QueuedConnection);
}

void X11GlobalShortcut::watchKeyPresses(bool watch) {
    if (!m_inputOpcode)
        return;
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.mask = watch ? XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS : 0;
    xcb_input_xi_select_events(m_connection, m_root, 1, &mask.head);
    xcb_flush(m_connection);
}

void X11GlobalShortcut::bind(const QKeySequence& keys) {
    if (keys.isEmpty()) {
        ungrab(std::exchange(m_grabbed, {}));
        m_awaited = {};
        watchKeyPresses(false);
        setState(Status::Off, {});
        return;
    }
    const std::optional<Grab> wanted = grabFor(keys[0]);
    const Keys next{wanted ? keycodeOf(wanted->keysym) : uint8_t(0),
                    wanted ? wanted->modifiers : uint16_t(0)};
    // The new keys are held before the old ones are let go.
    if (next.keycode && (next == m_grabbed || grab(next))) {
        if (next != m_grabbed) {
            ungrab(m_grabbed);
            m_grabbed = next;
            m_down = false;
        }
        m_awaited = {};
        watchKeyPresses(false);
        setState(Status::Bound, keys);
        return;
    }
    const Status why = next.keycode ? Status::Taken : Status::Unsupported;
    qCInfo(lcX11) << keys.toString() << (next.keycode ? "is held by another program" : "has no key here");
    if (status() == Status::Bound) {
        emit refused(keys, why);
        return;
    }
    m_awaited = next.keycode ? next : Keys{};
    watchKeyPresses(next.keycode != 0);
    setState(why, keys);
}

void X11GlobalShortcut::retry() {
    if (status() != Status::Taken || !grab(m_awaited))
        return;
    m_grabbed = std::exchange(m_awaited, {});
    m_down = false;
    watchKeyPresses(false);
    setState(Status::Bound, keys());
}

void X11GlobalShortcut::rawKeyPressed(uint8_t keycode) {
    if (status() != Status::Taken || keycode != m_awaited.keycode)
        return;
    retry();
    if (status() != Status::Bound)
        return;
    // The press that found the keys free was meant for us when its modifiers are ours.
    xcb_query_pointer_reply_t* pointer =
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    const bool ours = pointer && (pointer->mask & kModifierMask) == m_grabbed.modifiers;
    std::free(pointer);
    if (ours)
        emit activated();
}

// A repeat comes as a release and a press with the same time (or, where the client asked
// for detectable repeats, as a press alone); either way only a press counts. The pair may
// arrive in two reads, so the release is remembered rather than looked ahead of.
void X11GlobalShortcut::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
            const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
            const bool repeat = m_down || press->time == m_releasedAt;
            m_down = true;
            if (!repeat)
                emit activated();
        } else if (type == XCB_KEY_RELEASE) {
            m_down = false;
            m_releasedAt = reinterpret_cast<xcb_key_release_event_t*>(event)->time;
        } else if (type == XCB_GE_GENERIC && m_inputOpcode &&
                   reinterpret_cast<xcb_ge_generic_event_t*>(event)->extension == m_inputOpcode &&
                   reinterpret_cast<xcb_ge_generic_event_t*>(event)->event_type == XCB_INPUT_RAW_KEY_PRESS) {
            rawKeyPressed(uint8_t(reinterpret_cast<xcb_input_raw_key_press_event_t*>(event)->detail));
        }
        std::free(event);
    }
}
