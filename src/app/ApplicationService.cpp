#include "app/ApplicationService.h"

#include "app/ApplicationAdaptor.h"
#include "app/ScriptingAdaptor.h"
#include "platform/LogCategories.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

ApplicationService::ApplicationService(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {
    new ApplicationAdaptor(this);
    new ScriptingAdaptor(this);
}

ApplicationService::~ApplicationService() {
    if (!m_registered)
        return;
    m_bus.unregisterObject(QLatin1String(kObjectPath));
    m_bus.unregisterService(QLatin1String(kServiceName));
}

ApplicationService::Registration ApplicationService::registerOnBus() {
    if (!m_bus.isConnected() || !m_bus.interface()) {
        qCWarning(lcDbus) << "no session bus:" << m_bus.lastError().message();
        return Registration::NoBus;
    }
    // The object is there before the name, so a call that follows the name finds it.
    if (!m_bus.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcDbus) << "could not serve" << kObjectPath << ":" << m_bus.lastError().message();
        return Registration::NoBus;
    }
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
    qCWarning(lcDbus) << "could not own" << kServiceName << ":" << reply.error().message();
    return Registration::NoBus;
}

ApplicationService::HandOver ApplicationService::handOver(const QList<QUrl>& urls,
                                                          const QString& nook) const {
    if (!m_handOver) {
        HandOver nothing;
        for (const QUrl& url : urls)
            nothing.rejected << url.toString();
        return nothing;
    }
    return m_handOver(urls, nook);
}

QString ApplicationService::list() const {
    return m_list ? m_list() : QStringLiteral("[]");
}
