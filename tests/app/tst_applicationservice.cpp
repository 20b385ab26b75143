#include "ApplicationService.h"
#include "TestEnvironment.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

// Each test runs against a private bus daemon of its own, never the user's session bus.
class TestApplicationService : public QObject {
    Q_OBJECT
private:
    QProcess m_daemon;
    QString m_address;
    int m_connections = 0;

    QDBusConnection connect() {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("test%1").arg(++m_connections));
    }

private slots:
    void initTestCase() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address")});
        QVERIFY(m_daemon.waitForStarted());
        QTRY_VERIFY(m_daemon.canReadLine());
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase() {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }

    void secondStartForwardsToTheFirst() {
        ApplicationService first(connect());
        QCOMPARE(first.registerOnBus(), ApplicationService::Registration::Owner);
        QSignalSpy activated(&first, &ApplicationService::activateRequested);
        QSignalSpy opened(&first, &ApplicationService::openRequested);

        ApplicationService second(connect());
        QCOMPARE(second.registerOnBus(), ApplicationService::Registration::AlreadyRunning);

        QVERIFY(second.forward({}));
        QTRY_COMPARE(activated.size(), 1);
        QCOMPARE(opened.size(), 0);

        const QStringList uris{QStringLiteral("file:///tmp/a%20b.txt"), QStringLiteral("file:///tmp/c")};
        QVERIFY(second.forward(uris));
        QTRY_COMPARE(opened.size(), 1);
        const auto urls = opened.first().first().value<QList<QUrl>>();
        QCOMPARE(urls, QList<QUrl>({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")),
                                    QUrl::fromLocalFile(QStringLiteral("/tmp/c"))}));
        QCOMPARE(activated.size(), 1);
    }

    void launchersCallTheDesktopInterface() {
        ApplicationService service(connect());
        QCOMPARE(service.registerOnBus(), ApplicationService::Registration::Owner);
        QSignalSpy actions(&service, &ApplicationService::actionRequested);
        QSignalSpy opened(&service, &ApplicationService::openRequested);
        QDBusConnection launcher = connect();
        const auto call = [&](const QString& method, const QVariantList& arguments) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                QStringLiteral("org.tuckaway.Tuckaway"), QStringLiteral("/org/tuckaway/Tuckaway"),
                QStringLiteral("org.freedesktop.Application"), method);
            message.setArguments(arguments);
            return launcher.call(message, QDBus::BlockWithGui, 5000);
        };

        QCOMPARE(call(QStringLiteral("ActivateAction"),
                      {QStringLiteral("settings"), QVariant::fromValue(QVariantList()), QVariantMap()})
                     .type(),
                 QDBusMessage::ReplyMessage);
        QTRY_COMPARE(actions.size(), 1);
        QCOMPARE(actions.first().first().toString(), QStringLiteral("settings"));

        // Text that is no URI is dropped; the rest still arrives.
        QCOMPARE(call(QStringLiteral("Open"), {QStringList{QStringLiteral("http://exa mple.org/%zz"),
                                                           QStringLiteral("file:///tmp/x")},
                                               QVariantMap()})
                     .type(),
                 QDBusMessage::ReplyMessage);
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened.first().first().value<QList<QUrl>>(),
                 QList<QUrl>({QUrl::fromLocalFile(QStringLiteral("/tmp/x"))}));

        // A call with the wrong signature is refused by the bus layer, not half handled.
        QCOMPARE(call(QStringLiteral("Open"), {QStringLiteral("file:///tmp/x")}).type(),
                 QDBusMessage::ErrorMessage);
        QCOMPARE(opened.size(), 1);
    }

    void theNameIsFreeAgainWhenTheOwnerEnds() {
        QDBusConnection watcher = connect();
        {
            ApplicationService first(connect());
            QCOMPARE(first.registerOnBus(), ApplicationService::Registration::Owner);
            QVERIFY(watcher.interface()->isServiceRegistered(QStringLiteral("org.tuckaway.Tuckaway")));
        }
        QTRY_VERIFY(!watcher.interface()->isServiceRegistered(QStringLiteral("org.tuckaway.Tuckaway")));
        ApplicationService next(connect());
        QCOMPARE(next.registerOnBus(), ApplicationService::Registration::Owner);
    }

    void withoutABusItRunsAlone() {
        ApplicationService alone(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                               QStringLiteral("nobus")));
        QCOMPARE(alone.registerOnBus(), ApplicationService::Registration::NoBus);
        QVERIFY(!alone.forward({}));
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestApplicationService)
#include "tst_applicationservice.moc"
