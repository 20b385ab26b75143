#include "PrivateBus.h"
#include "TestEnvironment.h"
#include "app/ApplicationService.h"
#include "app/RemoteInstance.h"

#include <QElapsedTimer>

#include <future>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

class TestApplicationService : public QObject {
    Q_OBJECT
private:
    PrivateBus m_bus;
    QDBusConnection connect() { return m_bus.connect(); }

    // A second start's call, made from another thread while this one serves the first.
    QDBusMessage callFromElsewhere(const QString& interface, const QString& method,
                                   const QVariantList& arguments) {
        const RemoteInstance instance(connect());
        auto reply =
            std::async(std::launch::async, [&] { return instance.call(interface, method, arguments); });
        [&] { QTRY_VERIFY(reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready); }();
        return reply.get();
    }

private slots:
    void initTestCase() {
        if (!m_bus.start())
            QSKIP("dbus-daemon is not installed");
    }

    void secondStartReachesTheFirst() {
        ApplicationService first(connect());
        QCOMPARE(first.registerOnBus(), ApplicationService::Registration::Owner);
        QSignalSpy activated(&first, &ApplicationService::activateRequested);
        QList<QUrl> handed;
        QString handedNook;
        first.setHandOverHandler([&](const QList<QUrl>& urls, const QString& nook) {
            handed = urls;
            handedNook = nook;
            return ApplicationService::HandOver{{urls.first().toString()}, {}, {}};
        });

        ApplicationService second(connect());
        QCOMPARE(second.registerOnBus(), ApplicationService::Registration::AlreadyRunning);
        QVERIFY(RemoteInstance(connect()).isRunning());
        QCOMPARE(callFromElsewhere(QLatin1String(ApplicationService::kInterface), QStringLiteral("Activate"),
                                   {QVariantMap()})
                     .type(),
                 QDBusMessage::ReplyMessage);
        QTRY_COMPARE(activated.size(), 1);

        // Spaces survive; text that is no URI comes back as refused, not dropped.
        const QDBusMessage reply = callFromElsewhere(
            QLatin1String(ApplicationService::kOwnInterface), QStringLiteral("Add"),
            {QStringList{QStringLiteral("file:///tmp/a%20b.txt"), QStringLiteral("http://exa mple/%zz")},
             QStringLiteral("Work")});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(handed, QList<QUrl>({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt"))}));
        QCOMPARE(handedNook, QStringLiteral("Work"));
        QCOMPARE(reply.arguments().value(2).toStringList(),
                 QStringList{QStringLiteral("http://exa mple/%zz")});
    }

    void aHungInstanceIsGivenUpOnWithinASecond() {
        // The owner's thread is this one, blocked in the call: it cannot answer.
        ApplicationService hung(connect());
        QCOMPARE(hung.registerOnBus(), ApplicationService::Registration::Owner);
        const RemoteInstance instance(connect());
        QElapsedTimer timer;
        timer.start();
        const QDBusMessage reply =
            instance.call(QLatin1String(ApplicationService::kOwnInterface), QStringLiteral("Quit"));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY2(timer.elapsed() < 2 * RemoteInstance::kProbeTimeoutMs,
                 qPrintable(QString::number(timer.elapsed())));
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
        QVERIFY(!RemoteInstance(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                              QStringLiteral("nobus2")))
                     .isRunning());
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestApplicationService)
#include "tst_applicationservice.moc"
