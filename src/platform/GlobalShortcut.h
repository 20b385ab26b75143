#pragma once

#include <QKeySequence>
#include <QObject>

#include <memory>

// Keys that reach the application from anywhere in the session. A backend binds one
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

    virtual void bind(const QKeySequence& keys) = 0;
    Status status() const { return m_status; }

signals:
    void activated();
    void statusChanged(GlobalShortcut::Status status);

protected:
    void setStatus(Status status) {
        if (status == m_status)
            return;
        m_status = status;
        emit statusChanged(status);
    }

private:
    Status m_status = Status::Off;
};
