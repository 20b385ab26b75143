#include "app/HeldKeyGuard.h"

#include <QKeyEvent>

HeldKeyGuard::HeldKeyGuard(Keyboard keyboard)
    : m_keyboard(std::move(keyboard)) {}

void HeldKeyGuard::arm() {
    m_held = m_keyboard();
}

bool HeldKeyGuard::swallows(const QKeyEvent& event) {
    const quint32 code = event.nativeScanCode();
    if (!m_held.contains(code))
        return false;
    // A held key repeats as a release and a press. A release marked as a repeat has its press
    // right behind it, so the key is still down, whatever the keyboard says by the time the
    // event is handled (on a busy machine the real release may already have happened, and the
    // repeat's press would act). Any other release is checked with the keyboard: Qt marks a
    // repeat only when its press has arrived with it.
    if (event.type() == QEvent::KeyRelease && !event.isAutoRepeat() && !m_keyboard().contains(code))
        m_held.remove(code);
    return true;
}
