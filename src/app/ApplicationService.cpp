#include "ApplicationService.h"

#include "ApplicationAdaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

ApplicationService::ApplicationService(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {
    new ApplicationAdaptor(this);
}

ApplicationService::~ApplicationService() {
    if (!m_registered)
        return;
    m_bus.unregisterObject(QLatin1String(kObjectPath));
    m_bus.unregisterService(QLatin1String(kServiceName));
}

ApplicationService::Registration ApplicationService::registerOnBus() {
    if (!m_bus.isConnected() || !m_bus.interface())
        return Registration::NoBus;
    // The object is there before the name, so a call that follows the name finds it.
    if (!m_bus.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportAdaptors))
        return Registration::NoBus;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_bus.interface()->registerService(QLatin1String(kServiceName),
                                           QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_registered = true;
        return Registration::Owner;
    }
    m_bus.unregisterObject(QLatin1String(kObjectPath));
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered)
        return Registration::AlreadyRunning;
    return Registration::NoBus;
}

bool ApplicationService::forward(const QStringList& uris) const {
    const bool open = !uris.isEmpty();
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kServiceName), QLatin1String(kObjectPath), QLatin1String(kInterface),
        open ? QStringLiteral("Open") : QStringLiteral("Activate"));
    if (open)
        call << uris;
    call << QVariantMap();
    const QDBusMessage reply = m_bus.call(call, QDBus::BlockWithGui, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
