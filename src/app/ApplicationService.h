#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>

// The application on the session bus: it owns org.tuckaway.Tuckaway and serves the
// desktop's launch interface (org.freedesktop.Application) at /org/tuckaway/Tuckaway.
// Beside it, org.tuckaway.Tuckaway serves the command line (see RemoteInstance).
// A second start finds the name taken and hands its request to the first instead.
class ApplicationService : public QObject {
    Q_OBJECT
public:
    static constexpr auto kServiceName = "org.tuckaway.Tuckaway";
    static constexpr auto kObjectPath = "/org/tuckaway/Tuckaway";
    static constexpr auto kInterface = "org.freedesktop.Application";
    static constexpr auto kOwnInterface = "org.tuckaway.Tuckaway";

    // What became of the files of one hand-over, as URIs.
    struct HandOver {
        QStringList added, duplicates, rejected;
    };
    // Files to the named nook (empty: the current one).
    using HandOverHandler = std::function<HandOver(const QList<QUrl>& urls, const QString& nook)>;
    // The nooks as a JSON document (see NookListing).
    using ListHandler = std::function<QString()>;

    enum class Registration { Owner, AlreadyRunning, NoBus };

    explicit ApplicationService(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~ApplicationService() override;

    Registration registerOnBus();

    void setHandOverHandler(HandOverHandler handler) { m_handOver = std::move(handler); }
    void setListHandler(ListHandler handler) { m_list = std::move(handler); }
    HandOver handOver(const QList<QUrl>& urls, const QString& nook) const;
    QString list() const;

signals:
    void activateRequested();
    void openRequested(const QList<QUrl>& urls);
    // "settings", "quit", "show" or "toggle" (the last two from the command line).
    void actionRequested(const QString& name);

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    HandOverHandler m_handOver;
    ListHandler m_list;
};
