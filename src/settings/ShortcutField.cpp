#include "settings/ShortcutField.h"

#include <QKeyEvent>

namespace {

constexpr Qt::KeyboardModifiers kModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

Qt::KeyboardModifiers modifierOf(int key) {
    switch (key) {
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Alt:
        return Qt::AltModifier;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return Qt::MetaModifier;
    default:
        return Qt::NoModifier;
    }
}

// Keys that only change what other keys mean.
bool isModifierKey(int key) {
    return modifierOf(key) != Qt::NoModifier || key == Qt::Key_AltGr || key == Qt::Key_CapsLock ||
           key == Qt::Key_NumLock || key == Qt::Key_Hyper_L || key == Qt::Key_Hyper_R ||
           key == Qt::Key_unknown || key == 0;
}

} // namespace

ShortcutField::ShortcutField(QWidget* parent)
    : QLineEdit(parent) {
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setPlaceholderText(qtTrId("settings.shortcut.turn_off"));
}

void ShortcutField::setKeys(const QKeySequence& keys) {
    m_keys = keys;
    setText(keys.toString(QKeySequence::NativeText));
}

void ShortcutField::showModifiers(Qt::KeyboardModifiers modifiers) {
    if (modifiers == Qt::NoModifier)
        setKeys(m_keys);
    else
        setText(QKeySequence(QKeyCombination(modifiers, Qt::Key(0))).toString(QKeySequence::NativeText) +
                QChar(0x2026));
}

void ShortcutField::keyPressEvent(QKeyEvent* event) {
    // Shift+Tab comes as a key of its own; the key pressed is Tab.
    const int key = event->key() == Qt::Key_Backtab ? Qt::Key_Tab : event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & kModifiers;
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        setKeys(m_keys);
        clearFocus();
    } else if (isModifierKey(key)) {
        showModifiers(modifiers | modifierOf(key));
    } else {
        setKeys(m_keys);
        emit keysPressed(QKeyCombination(modifiers, Qt::Key(key)));
    }
    event->accept();
}

void ShortcutField::keyReleaseEvent(QKeyEvent* event) {
    // The modifiers of a release still hold the key let go on some platforms.
    if (isModifierKey(event->key()))
        showModifiers(event->modifiers() & kModifiers & ~modifierOf(event->key()));
    event->accept();
}

void ShortcutField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    grabKeyboard();
}

void ShortcutField::focusOutEvent(QFocusEvent* event) {
    releaseKeyboard();
    setKeys(m_keys);
    QLineEdit::focusOutEvent(event);
}
