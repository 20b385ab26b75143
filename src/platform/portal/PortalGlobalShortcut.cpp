#include "platform/portal/PortalGlobalShortcut.h"

#include "platform/LogCategories.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kShortcutID = QStringLiteral("toggle-panel");

struct PortalShortcut {
    QString id;
    QVariantMap options;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

std::unique_ptr<PortalGlobalShortcut> PortalGlobalShortcut::create() {
    if (!QDBusConnection::sessionBus().isConnected())
        return nullptr;
    return std::unique_ptr<PortalGlobalShortcut>(new PortalGlobalShortcut());
}

PortalGlobalShortcut::PortalGlobalShortcut() {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool listening = bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                                       SLOT(onActivated(QDBusMessage)));
    if (!listening)
        qCWarning(lcDbus) << "cannot listen for global shortcut activations";
    // Starting the portal may take a while: ask in the background, the start-up goes on.
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    auto* probe = new QDBusPendingCallWatcher(bus.asyncCall(get, 10000), this);
    connect(probe, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (call->isError()) {
            qCInfo(lcDbus) << "no global shortcuts portal:" << call->error().message();
            m_available = Available::No;
            setState(Status::Unavailable, keys());
            return;
        }
        m_available = Available::Yes;
        if (needsBinding() && !m_busy)
            createSession();
    });
}

PortalGlobalShortcut::~PortalGlobalShortcut() {
    closeSession(m_newSession);
    closeSession(m_session);
}

QString PortalGlobalShortcut::triggerFor(const QKeySequence& keys) {
    if (keys.isEmpty())
        return {};
    const QKeyCombination combination = keys[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QStringList parts;
    if (modifiers & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (modifiers & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    const Qt::Key key = combination.key();
    QString name;
    if (key == Qt::Key_Space)
        name = QStringLiteral("space");
    else if (key >= Qt::Key_A && key <= Qt::Key_Z)
        name = QChar(char16_t(u'a' + (key - Qt::Key_A)));
    else
        name = QKeySequence(key).toString(QKeySequence::PortableText);
    if (name.isEmpty())
        return {};
    parts << name;
    return parts.join(QLatin1Char('+'));
}

void PortalGlobalShortcut::closeSession(QString& session) {
    if (session.isEmpty())
        return;
    QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(kService, session, QStringLiteral("org.freedesktop.portal.Session"),
                                       QStringLiteral("Close")),
        QDBus::NoBlock);
    session.clear();
}

// The desktop binds once per session: new keys get a session of their own, and the old
// one goes on working until the new one is bound.
void PortalGlobalShortcut::bind(const QKeySequence& keys) {
    if (keys == m_asked && keys == this->keys())
        return;
    m_asked = keys;
    const bool working = status() == Status::Bound;
    if (keys.isEmpty()) {
        closeSession(m_session);
        setState(m_available == Available::No ? Status::Unavailable : Status::Off, {});
    } else if (triggerFor(keys).isEmpty() || m_available == Available::No) {
        const Status why = m_available == Available::No ? Status::Unavailable : Status::Unsupported;
        if (working) {
            m_asked = this->keys();
            emit refused(keys, why);
        } else {
            setState(why, keys);
        }
    } else if (needsBinding()) {
        if (!working)
            setState(Status::Pending, keys);
        if (!m_busy && m_available == Available::Yes)
            createSession();
    }
}

bool PortalGlobalShortcut::needsBinding() const {
    return !m_asked.isEmpty() && !(m_asked == keys() && status() == Status::Bound);
}

void PortalGlobalShortcut::createSession() {
    m_busy = true;
    const QString token = QStringLiteral("tuckaway%1").arg(++m_token);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), token}};
    request(QStringLiteral("CreateSession"), {options}, token, &PortalGlobalShortcut::sessionCreated);
}

void PortalGlobalShortcut::sessionCreated(uint response, const QVariantMap& results) {
    m_binding = m_asked;
    // A string by the interface's description, an object path from some desktops.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    if (response == 0)
        m_newSession = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                           ? handle.value<QDBusObjectPath>().path()
                           : handle.toString();
    if (!needsBinding()) {
        closeSession(m_newSession); // turned off or changed back while the session was being made
        m_busy = false;
    } else if (response != 0) {
        answered(false);
    } else {
        sendBinding();
    }
}

void PortalGlobalShortcut::sendBinding() {
    const QString token = QStringLiteral("tuckaway%1").arg(++m_token);
    const QList<PortalShortcut> shortcuts{{kShortcutID,
                                           {{QStringLiteral("description"), qtTrId("shortcut.description")},
                                            {QStringLiteral("preferred_trigger"), triggerFor(m_binding)}}}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_newSession)), QVariant::fromValue(shortcuts), QString(),
             QVariantMap{{QStringLiteral("handle_token"), token}}},
            token, &PortalGlobalShortcut::shortcutsBound);
}

void PortalGlobalShortcut::shortcutsBound(uint response, const QVariantMap& results) {
    const QDBusArgument bound = results.value(QStringLiteral("shortcuts")).value<QDBusArgument>();
    QList<PortalShortcut> shortcuts;
    if (bound.currentType() == QDBusArgument::ArrayType)
        bound >> shortcuts;
    const bool ours = std::any_of(shortcuts.cbegin(), shortcuts.cend(),
                                  [](const PortalShortcut& shortcut) { return shortcut.id == kShortcutID; });
    answered(response == 0 && ours);
}

void PortalGlobalShortcut::answered(bool bound) {
    m_busy = false;
    if (m_binding != m_asked) {
        // Other keys were asked for meanwhile.
        closeSession(m_newSession);
        if (needsBinding())
            createSession();
        return;
    }
    if (bound) {
        closeSession(m_session);
        m_session = std::exchange(m_newSession, QString());
        setState(Status::Bound, m_binding);
        return;
    }
    closeSession(m_newSession);
    if (status() == Status::Bound) {
        m_asked = keys();
        emit refused(m_binding, Status::Taken);
    } else {
        closeSession(m_session);
        setState(Status::Taken, m_binding);
    }
}

void PortalGlobalShortcut::request(const QString& method, const QVariantList& arguments, const QString& token,
                                   void (PortalGlobalShortcut::*onResponse)(uint, const QVariantMap&)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Listen before asking: the answer may come before the call returns.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    if (!m_requestPath.isEmpty())
        bus.disconnect(kService, m_requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                       QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    m_pending = onResponse;
    bus.connect(kService, m_requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    bus.callWithCallback(call, this, SLOT(onCallReturned(QDBusObjectPath)), SLOT(onCallFailed(QDBusError)));
}

void PortalGlobalShortcut::onCallReturned(const QDBusObjectPath& handle) {
    if (handle.path() == m_requestPath)
        return;
    // An older portal chose another request object.
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.disconnect(kService, m_requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                   QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = handle.path();
    bus.connect(kService, m_requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
}

void PortalGlobalShortcut::onCallFailed(const QDBusError& error) {
    qCInfo(lcDbus) << "portal call failed:" << error.message();
    onResponse(2, {});
}

void PortalGlobalShortcut::onResponse(uint response, const QVariantMap& results) {
    if (auto pending = std::exchange(m_pending, nullptr))
        (this->*pending)(response, results);
}

void PortalGlobalShortcut::onActivated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString session = arguments.at(0).value<QDBusObjectPath>().path();
    if (session == m_session && arguments.at(1).toString() == kShortcutID)
        emit activated();
}
