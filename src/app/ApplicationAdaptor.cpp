#include "app/ApplicationAdaptor.h"

#include "app/ApplicationService.h"

#include <QUrl>

ApplicationAdaptor::ApplicationAdaptor(ApplicationService* service)
    : QDBusAbstractAdaptor(service)
    , m_service(service) {}

void ApplicationAdaptor::Activate(const QVariantMap&) {
    emit m_service->activateRequested();
}

void ApplicationAdaptor::Open(const QStringList& uris, const QVariantMap&) {
    QList<QUrl> urls;
    for (const QString& uri : uris) {
        const QUrl url(uri, QUrl::StrictMode);
        if (url.isValid())
            urls << url;
    }
    emit m_service->openRequested(urls);
}

void ApplicationAdaptor::ActivateAction(const QString& actionName, const QVariantList&, const QVariantMap&) {
    emit m_service->actionRequested(actionName);
}
