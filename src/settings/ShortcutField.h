#pragma once

#include <QKeySequence>
#include <QLineEdit>

// Records the keys of a shortcut from anywhere. It shows the keys in effect ("Off" when
// none) and, while only modifiers are down, those. A key pressed with them is offered
// through `keysPressed`; the field goes on showing what it was given. Releasing the
// modifiers alone, Escape and leaving the field change nothing; Tab still moves on.
// While it has the focus it holds the keyboard, so that keys another program takes from
// everywhere reach it too and can be told taken.
class ShortcutField : public QLineEdit {
    Q_OBJECT
public:
    explicit ShortcutField(QWidget* parent = nullptr);

    QKeySequence keys() const { return m_keys; }
    void setKeys(const QKeySequence& keys);

signals:
    void keysPressed(QKeyCombination keys);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showModifiers(Qt::KeyboardModifiers modifiers);

    QKeySequence m_keys;
};
