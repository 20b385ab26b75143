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
//
// X tells nobody when another client lets go of a grab. While the keys are taken, their
// key is watched through XInput 2 raw events (which every grab lets through): each press
// of it tries the grab again, and a press that succeeds counts as the shortcut. So
// nothing runs while the keys are held or the user types nothing.
class X11GlobalShortcut : public GlobalShortcut {
    Q_OBJECT
public:
    // Nothing when the display cannot be reached.
    static std::unique_ptr<X11GlobalShortcut> create();
    ~X11GlobalShortcut() override;

    void bind(const QKeySequence& keys) override;
    void retry() override;
    bool takesFreedKeys() const override { return true; }

    // The X key symbol and modifier mask for one combination; none for keys X cannot name.
    struct Grab {
        uint32_t keysym;
        uint16_t modifiers;
    };
    static std::optional<Grab> grabFor(QKeyCombination keys);

private:
    // A key code and core modifier mask; no key code is none.
    struct Keys {
        uint8_t keycode = 0;
        uint16_t modifiers = 0;
        bool operator==(const Keys&) const = default;
    };

    X11GlobalShortcut(xcb_connection_t* connection, uint32_t root, uint8_t inputOpcode);
    bool grab(Keys keys);
    void ungrab(Keys keys);
    void watchKeyPresses(bool watch);
    uint8_t keycodeOf(uint32_t keysym) const;
    void readEvents();
    void readEventsLater();
    void rawKeyPressed(uint8_t keycode);

    xcb_connection_t* m_connection;
    uint32_t m_root;
    uint8_t m_inputOpcode; // 0 without XInput 2.1
    std::unique_ptr<QSocketNotifier> m_notifier;
    Keys m_grabbed;
    Keys m_awaited;            // taken by another client, tried again when pressed
    bool m_down = false;       // the keys are down: presses until the release are repeats
    uint32_t m_releasedAt = 0; // server time of the last release
};
