#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QUrl>

// The application on the session bus: it owns org.tuckaway.Tuckaway and serves the
// desktop's launch interface (org.freedesktop.Application) at /org/tuckaway/Tuckaway.
// A second start finds the name taken and hands its request to the first instead.
class ApplicationService : public QObject {
    Q_OBJECT
public:
    static constexpr auto kServiceName = "org.tuckaway.Tuckaway";
    static constexpr auto kObjectPath = "/org/tuckaway/Tuckaway";
    static constexpr auto kInterface = "org.freedesktop.Application";

    enum class Registration { Owner, AlreadyRunning, NoBus };

    explicit ApplicationService(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~ApplicationService() override;

    Registration registerOnBus();

    // For a second start: Activate without URIs, else Open. False when the running
    // instance could not be reached.
    bool forward(const QStringList& uris) const;

signals:
    void activateRequested();
    void openRequested(const QList<QUrl>& urls);
    void actionRequested(const QString& name);

private:
    QDBusConnection m_bus;
    bool m_registered = false;
};
