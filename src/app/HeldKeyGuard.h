#pragma once

#include <QSet>

#include <functional>

class QKeyEvent;

// Keeps a key that was down when the panel showed from acting in it until the key is let go:
// Escape that closed the panel and was never let go (as a key sent to our window by another
// program can be left) would close it again, or open an item, at every showing.
class HeldKeyGuard {
public:
    // The native key codes the keyboard holds at this moment.
    using Keyboard = std::function<QSet<quint32>()>;

    explicit HeldKeyGuard(Keyboard keyboard);

    // Remembers what the keyboard holds now; at every showing.
    void arm();
    // True when the event belongs to a key held since arm() and must not reach the panel.
    bool swallows(const QKeyEvent& event);

private:
    Keyboard m_keyboard;
    QSet<quint32> m_held;
};
