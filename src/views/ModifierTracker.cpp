#include "views/ModifierTracker.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {

ModifierTracker::Query& query() {
    static ModifierTracker::Query instance;
    return instance;
}

QList<ModifierTracker*>& running() {
    static QList<ModifierTracker*> trackers;
    return trackers;
}

Qt::KeyboardModifiers queryKeyboard() {
    return query() ? query()() : QGuiApplication::queryKeyboardModifiers();
}

// The modifiers after a key event. Platforms differ in whether a modifier key's own
// event already carries its flag; the key itself tells for certain.
Qt::KeyboardModifiers modifiersAfter(const QKeyEvent* key) {
    Qt::KeyboardModifiers modifiers = key->modifiers();
    const bool press = key->type() == QEvent::KeyPress;
    if (key->key() == Qt::Key_Control)
        modifiers.setFlag(Qt::ControlModifier, press);
    else if (key->key() == Qt::Key_Alt)
        modifiers.setFlag(Qt::AltModifier, press);
    return modifiers & (Qt::ControlModifier | Qt::AltModifier);
}

// Follows the keys for the whole application from the first tracker on, so that a view
// that starts watching later still knows what is held down now.
class KeyState : public QObject {
public:
    static KeyState& instance() {
        static KeyState* state = new KeyState;
        return *state;
    }
    Qt::KeyboardModifiers modifiers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
            modifiers = modifiersAfter(static_cast<QKeyEvent*>(event));
        else if (event->type() == QEvent::ApplicationDeactivate)
            modifiers = queryKeyboard();
        return QObject::eventFilter(watched, event);
    }

private:
    KeyState() {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->installEventFilter(this);
    }
};

} // namespace

ModifierTracker::ModifierTracker(QObject* parent)
    : QObject(parent) {
    KeyState::instance();
}

ModifierTracker::~ModifierTracker() {
    stop();
}

void ModifierTracker::start() {
    if (m_active || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(this);
    running().append(this);
    m_active = true;
}

void ModifierTracker::stop() {
    if (!m_active)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    running().removeOne(this);
    m_active = false;
}

void ModifierTracker::setModifiers(Qt::KeyboardModifiers modifiers) {
    modifiers &= Qt::ControlModifier | Qt::AltModifier;
    if (modifiers == m_modifiers)
        return;
    m_modifiers = modifiers;
    emit changed();
}

void ModifierTracker::readKeyboardAgain() {
    const Qt::KeyboardModifiers now = queryKeyboard();
    KeyState::instance().modifiers = now & (Qt::ControlModifier | Qt::AltModifier);
    for (ModifierTracker* tracker : QList(running()))
        tracker->setModifiers(now);
}

Qt::KeyboardModifiers ModifierTracker::currentModifiers() {
    return queryKeyboard() | KeyState::instance().modifiers;
}

void ModifierTracker::setQuery(Query replacement) {
    query() = std::move(replacement);
}

bool ModifierTracker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        setModifiers(modifiersAfter(static_cast<QKeyEvent*>(event)));
        break;
    case QEvent::ApplicationDeactivate:
        // The release of a key held while leaving (Alt+Tab) goes to another application.
        setModifiers(queryKeyboard());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
