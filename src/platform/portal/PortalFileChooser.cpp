#include "platform/portal/PortalFileChooser.h"

#include "platform/LogCategories.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUuid>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.FileChooser");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

bool PortalFileChooser::available() {
    // Once the portal runs, a desktop without a chooser backend fails the call: the caller
    // hears of it through `failed`.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService);
}

PortalFileChooser::PortalFileChooser(Done done, std::function<void()> failed)
    : m_done(std::move(done))
    , m_failed(std::move(failed)) {}

void PortalFileChooser::choose(const QString& title, bool folders, Done done, std::function<void()> failed) {
    auto* chooser = new PortalFileChooser(std::move(done), std::move(failed));
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("tuckaway_") + QUuid::createUuid().toString(QUuid::Id128);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    // Listen before asking: the answer may come before the call returns.
    chooser->listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("OpenFile"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("multiple"), true},
                              {QStringLiteral("directory"), folders},
                              {QStringLiteral("modal"), true}};
    call.setArguments({QString(), title, options});
    bus.callWithCallback(call, chooser, SLOT(onCallReturned(QDBusObjectPath)),
                         SLOT(onCallFailed(QDBusError)));
}

void PortalFileChooser::listen(const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_requestPath.isEmpty())
        bus.disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                       SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = path;
    bus.connect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this,
                SLOT(onResponse(uint, QVariantMap)));
}

void PortalFileChooser::onCallReturned(const QDBusObjectPath& handle) {
    if (handle.path() != m_requestPath)
        listen(handle.path()); // an older portal chose another request object
}

void PortalFileChooser::onCallFailed(const QDBusError& error) {
    qCInfo(lcDbus) << "the portal's file chooser failed:" << error.message();
    if (m_failed)
        m_failed();
    deleteLater();
}

void PortalFileChooser::onResponse(uint response, const QVariantMap& results) {
    QList<QUrl> urls;
    if (response == 0) {
        for (const QString& uri : results.value(QStringLiteral("uris")).toStringList())
            urls << QUrl(uri);
    }
    if (response == 0 || response == 1) // chosen, or cancelled
        m_done(urls);
    else if (m_failed)
        m_failed();
    deleteLater();
}
