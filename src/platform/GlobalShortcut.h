#pragma once

#include <QKeySequence>
#include <QObject>

#include <memory>

// Keys that reach the application from anywhere in the session. A backend holds one
// sequence at a time; binding an empty one releases it.
class GlobalShortcut : public QObject {
    Q_OBJECT
public:
    enum class Status {
        Off,         // nothing asked for
        Pending,     // asked for, the answer not in yet
        Bound,       // pressing the keys reaches us
        Taken,       // another program holds these keys, or the desktop refused them
        Unsupported, // keys this backend cannot express
        Unavailable, // the session turned out to offer no such keys
    };

    using QObject::QObject;

    // The backend of this session: key grabs on X11, the desktop portal in a Wayland
    // session; nothing where neither is to be had.
    static std::unique_ptr<GlobalShortcut> createForSession();

    // Asks for `keys` in place of the keys asked for before. Keys that work go on working
    // until the new ones are held: when those are refused, the old ones stay (with their
    // status) and `refused` tells. With no keys working before, the new ones replace them
    // whatever the answer, and a backend that can waits for them to come free.
    virtual void bind(const QKeySequence& keys) = 0;
    // Tries once more for keys another program held. Called on things the user does anyway
    // (opening the tray menu or the settings), never on a timer.
    virtual void retry() {}
    // Whether taken keys are had once another program lets them go (or only when asked anew).
    virtual bool takesFreedKeys() const { return false; }

    Status status() const { return m_status; }
    // The keys the status is about.
    QKeySequence keys() const { return m_keys; }

signals:
    void activated();
    void statusChanged(GlobalShortcut::Status status);
    // Keys asked for that could not be had while the ones before went on working.
    void refused(const QKeySequence& keys, GlobalShortcut::Status why);

protected:
    void setState(Status status, const QKeySequence& keys) {
        if (status == m_status && keys == m_keys)
            return;
        m_status = status;
        m_keys = keys;
        emit statusChanged(status);
    }

private:
    Status m_status = Status::Off;
    QKeySequence m_keys;
};
