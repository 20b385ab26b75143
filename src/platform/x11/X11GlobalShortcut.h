#pragma once

#include "platform/GlobalShortcut.h"

#include <cstdint>
#include <memory>
#include <optional>

class QSocketNotifier;
struct xcb_connection_t;

// Grabs the keys on the root window over an X connection of its own, once for each
// state of Caps Lock and Num Lock, so they work whatever those are. A key held down
// counts once, not once per repeat.
class X11GlobalShortcut : public GlobalShortcut {
    Q_OBJECT
public:
    // Nothing when the display cannot be reached.
    static std::unique_ptr<X11GlobalShortcut> create();
    ~X11GlobalShortcut() override;

    void bind(const QKeySequence& keys) override;

    // The X key symbol and modifier mask for one combination; none for keys X cannot name.
    struct Grab {
        uint32_t keysym;
        uint16_t modifiers;
    };
    static std::optional<Grab> grabFor(QKeyCombination keys);

private:
    X11GlobalShortcut(xcb_connection_t* connection, uint32_t root);
    void release();
    uint8_t keycodeOf(uint32_t keysym) const;
    void readEvents();

    xcb_connection_t* m_connection;
    uint32_t m_root;
    std::unique_ptr<QSocketNotifier> m_notifier;
    uint8_t m_keycode = 0;
    uint16_t m_modifiers = 0;
    bool m_held = false;
};
