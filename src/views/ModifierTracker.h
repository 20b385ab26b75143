#pragma once

#include <QObject>

#include <functional>

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

    // Every running tracker reads the keyboard anew, for when key events could not
    // arrive: a drag swallows them, so a key let go during it would otherwise seem held.
    static void readKeyboardAgain();

    // The keyboard state right now, for the few places that must read it at once.
    static Qt::KeyboardModifiers currentModifiers();
    // Where the keyboard state is read; tests put their own keyboard in place, an
    // empty function restores the platform's.
    using Query = std::function<Qt::KeyboardModifiers()>;
    static void setQuery(Query query);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_active = false;
    Qt::KeyboardModifiers m_modifiers;
};
