#pragma once

#include "platform/OutsideClickMonitor.h"

#include <QSet>

#include <cstdint>

#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

// Reads XInput 2 raw button events from the root window on an X connection of its
// own, so that Qt's own event selection is left alone. Raw events are seen for every
// window (and during grabs); the window under the pointer tells whether a click went
// to one of ours. A left button pressed in one of our windows (the start of a drag out
// of the panel) makes its release no outside click, wherever it happens.
class X11ClickMonitor : public OutsideClickMonitor {
    Q_OBJECT
public:
    // Nothing when the display cannot be reached or has no XInput 2.
    static std::unique_ptr<X11ClickMonitor> create();
    ~X11ClickMonitor() override;

    bool start() override;
    void stop() override;
    bool isActive() const override { return m_active; }

private:
    X11ClickMonitor(xcb_connection_t* connection, unsigned root, unsigned char opcode);
    void selectEvents(bool enabled);
    void readEvents();
    void handleButton(int type, uint32_t button);
    bool pointerIsOverOwnWindow();

    xcb_connection_t* m_connection;
    unsigned m_root;
    unsigned char m_opcode;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_active = false;
    bool m_leftPressedInside = false;
};
