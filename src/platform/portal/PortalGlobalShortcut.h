#pragma once

#include "platform/GlobalShortcut.h"

#include <QDBusObjectPath>
#include <QVariantMap>

#include <memory>

class QDBusError;
class QDBusMessage;

// Asks the desktop portal for the keys in a Wayland session: one session, then one
// binding per change. The desktop may show its own dialog and may bind other keys
// than the ones asked for; whatever it answers is the status.
class PortalGlobalShortcut : public GlobalShortcut {
    Q_OBJECT
public:
    // Nothing without a session bus. Whether the bus has a portal with global shortcuts is
    // asked in the background: the status is Pending until then, Unavailable if not.
    static std::unique_ptr<PortalGlobalShortcut> create();
    ~PortalGlobalShortcut() override;

    void bind(const QKeySequence& keys) override;

    // The keys in the form the portal expects ("CTRL+ALT+space"); empty when it has none.
    static QString triggerFor(const QKeySequence& keys);

private:
    PortalGlobalShortcut();
    void closeSession(QString& session);
    bool needsBinding() const;
    void createSession();
    void sendBinding();
    void answered(bool bound);
    // Calls a portal method that answers through a request object's Response signal.
    void request(const QString& method, const QVariantList& arguments, const QString& token,
                 void (PortalGlobalShortcut::*onResponse)(uint, const QVariantMap&));
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);

private slots:
    void onResponse(uint response, const QVariantMap& results);
    void onCallReturned(const QDBusObjectPath& handle);
    void onCallFailed(const QDBusError& error);
    void onActivated(const QDBusMessage& message);

private:
    QString m_session;      // whose activations count
    QString m_newSession;   // made for the keys being bound
    QKeySequence m_asked;   // the keys last asked for
    QKeySequence m_binding; // the keys the request on its way is for
    bool m_busy = false;    // a session being made or bound
    enum class Available { Unknown, Yes, No } m_available = Available::Unknown;
    QString m_requestPath;
    void (PortalGlobalShortcut::*m_pending)(uint, const QVariantMap&) = nullptr;
    int m_token = 0;
};
