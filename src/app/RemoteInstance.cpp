#include "app/RemoteInstance.h"

#include "app/ApplicationService.h"

#include <QDBusConnectionInterface>

namespace {
constexpr int kCallTimeoutMs = 120000;
}

RemoteInstance::RemoteInstance(QDBusConnection bus)
    : m_bus(std::move(bus)) {}

bool RemoteInstance::isRunning() const {
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    return m_bus.interface()->isServiceRegistered(QLatin1String(ApplicationService::kServiceName)).value();
}

QDBusMessage RemoteInstance::message(const QString& interface, const QString& method,
                                     const QVariantList& arguments) const {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(ApplicationService::kServiceName),
                                       QLatin1String(ApplicationService::kObjectPath), interface, method);
    call.setAutoStartService(false);
    call.setArguments(arguments);
    return call;
}

QDBusMessage RemoteInstance::call(const QString& interface, const QString& method,
                                  const QVariantList& arguments) const {
    const QDBusMessage probe =
        m_bus.call(message(QLatin1String(ApplicationService::kOwnInterface), QStringLiteral("Version"), {}),
                   QDBus::Block, kProbeTimeoutMs);
    if (probe.type() != QDBusMessage::ReplyMessage)
        return probe;
    return m_bus.call(message(interface, method, arguments), QDBus::Block, kCallTimeoutMs);
}
