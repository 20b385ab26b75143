#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>

// A bus daemon of the test's own, never the user's session bus.
class PrivateBus {
public:
    ~PrivateBus() {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
    bool start() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return false;
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address")});
        if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(5000))
            return false;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }
    QString address() const { return m_address; }
    QDBusConnection connect() {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("test%1").arg(++m_connections));
    }

private:
    QProcess m_daemon;
    QString m_address;
    int m_connections = 0;
};
