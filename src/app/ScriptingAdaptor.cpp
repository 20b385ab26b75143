#include "app/ScriptingAdaptor.h"

#include "app/ApplicationService.h"

#include <QCoreApplication>
#include <QUrl>

ScriptingAdaptor::ScriptingAdaptor(ApplicationService* service)
    : QDBusAbstractAdaptor(service)
    , m_service(service) {}

QString ScriptingAdaptor::Version() {
    return QCoreApplication::applicationVersion();
}

QStringList ScriptingAdaptor::Add(const QStringList& uris, const QString& nook, QStringList& duplicates,
                                  QStringList& rejected) {
    QList<QUrl> urls;
    QStringList unreadable;
    for (const QString& uri : uris) {
        const QUrl url(uri, QUrl::StrictMode);
        if (url.isValid())
            urls << url;
        else
            unreadable << uri;
    }
    ApplicationService::HandOver result = m_service->handOver(urls, nook.trimmed());
    duplicates = result.duplicates;
    rejected = result.rejected + unreadable;
    return result.added;
}

QString ScriptingAdaptor::List() {
    return m_service->list();
}

void ScriptingAdaptor::Show() {
    emit m_service->actionRequested(QStringLiteral("show"));
}

void ScriptingAdaptor::Toggle() {
    emit m_service->actionRequested(QStringLiteral("toggle"));
}

void ScriptingAdaptor::Settings() {
    emit m_service->actionRequested(QStringLiteral("settings"));
}

void ScriptingAdaptor::Quit() {
    emit m_service->actionRequested(QStringLiteral("quit"));
}
