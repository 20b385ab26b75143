#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

class ApplicationService;

// org.tuckaway.Tuckaway: what the command line asks of the running instance. Every call
// answers at once; Version costs nothing, so a client can tell a live instance quickly.
class ScriptingAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tuckaway.Tuckaway")
public:
    explicit ScriptingAdaptor(ApplicationService* service);

public slots:
    QString Version();
    // Adds the files to the nook named `nook` (made when missing; empty: the current
    // nook). Answers the added URIs; the others come back as duplicates or rejected.
    QStringList Add(const QStringList& uris, const QString& nook, QStringList& duplicates,
                    QStringList& rejected);
    QString List();
    void Show();
    void Toggle();
    void Settings();
    void Quit();

private:
    ApplicationService* m_service;
};
