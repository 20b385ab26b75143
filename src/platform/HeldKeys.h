#pragma once

#include <QSet>

// The keys the keyboard holds down at this moment, as the native key codes that key events
// carry (QKeyEvent::nativeScanCode()). Empty where the platform cannot tell.
namespace HeldKeys {

QSet<quint32> now();

} // namespace HeldKeys
