#pragma once

#include <QObject>

// Follows Ctrl and Alt from the key events that reach the application while it is
// running. It watches through an application-wide event filter and never consumes
// an event. A key already held when tracking starts counts from its next change.
class ModifierTracker : public QObject {
    Q_OBJECT
public:
    explicit ModifierTracker(QObject* parent = nullptr);
    ~ModifierTracker() override;

    void start();
    void stop();
    bool isActive() const { return m_active; }

    bool ctrlPressed() const { return m_modifiers.testFlag(Qt::ControlModifier); }
    bool altPressed() const { return m_modifiers.testFlag(Qt::AltModifier); }
    void setModifiers(Qt::KeyboardModifiers modifiers);

    // The keyboard state right now, for the few places that must read it at once.
    static Qt::KeyboardModifiers currentModifiers();

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_active = false;
    Qt::KeyboardModifiers m_modifiers;
};
