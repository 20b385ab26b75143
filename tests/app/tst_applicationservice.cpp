#include "PrivateBus.h"
#include "TestEnvironment.h"
#include "app/ApplicationService.h"
#include "app/RemoteInstance.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <future>

class TestApplicationService : public QObject {
    Q_OBJECT
private:
    PrivateBus m_bus;

    // A second start's or a launcher's call, made from another thread while this one serves.
    QDBusMessage callFromElsewhere(const char* interface, const QString& method,
                                   const QVariantList& arguments) {
        const RemoteInstance instance(m_bus.connect());
        auto reply = std::async(std::launch::async,
                                [&] { return instance.call(QLatin1String(interface), method, arguments); });
        [&] { QTRY_VERIFY(reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready); }();
        return reply.get();
    }

private slots:
    void initTestCase() {
        if (!m_bus.start())
            QSKIP("dbus-daemon is not installed");
    }

    // The first start owns the name; a second one, or a launcher, reaches it through the bus,
    // and once the first has ended the next start owns the name again.
    void secondStartReachesTheFirst() {
        {
            ApplicationService first(m_bus.connect());
            QCOMPARE(first.registerOnBus(), ApplicationService::Registration::Owner);
            QSignalSpy opened(&first, &ApplicationService::openRequested);
            QList<QUrl> handed;
            QString handedNook;
            first.setHandOverHandler([&](const QList<QUrl>& urls, const QString& nook) {
                handed = urls;
                handedNook = nook;
                return ApplicationService::HandOver{{urls.first().toString()}, {}, {}};
            });

            ApplicationService second(m_bus.connect());
            QCOMPARE(second.registerOnBus(), ApplicationService::Registration::AlreadyRunning);
            QVERIFY(RemoteInstance(m_bus.connect()).isRunning());

            // Spaces survive and the nook's name is trimmed; text that is no URI comes back as
            // refused from Add, and is dropped from a launcher's Open, whose other files arrive.
            const QStringList uris{u"file:///tmp/a%20b.txt"_qs, u"http://exa mple/%zz"_qs};
            const QDBusMessage reply =
                callFromElsewhere(ApplicationService::kOwnInterface, u"Add"_qs, {uris, u" Work "_qs});
            QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
            const QList<QUrl> good{QUrl::fromLocalFile(u"/tmp/a b.txt"_qs)};
            QCOMPARE(handed, good);
            QCOMPARE(handedNook, u"Work"_qs);
            QCOMPARE(reply.arguments().value(2).toStringList(), QStringList{uris.last()});
            callFromElsewhere(ApplicationService::kInterface, u"Open"_qs, {uris, QVariantMap()});
            QTRY_COMPARE(opened.size(), 1);
            QCOMPARE(opened.first().first().value<QList<QUrl>>(), good);
        }
        QTRY_VERIFY(!RemoteInstance(m_bus.connect()).isRunning());
        ApplicationService next(m_bus.connect());
        QCOMPARE(next.registerOnBus(), ApplicationService::Registration::Owner);
    }

    void aHungInstanceIsGivenUpOnWithinASecond() {
        // The owner's thread is this one, blocked in the call: it cannot answer.
        ApplicationService hung(m_bus.connect());
        QCOMPARE(hung.registerOnBus(), ApplicationService::Registration::Owner);
        QElapsedTimer timer;
        timer.start();
        const QDBusMessage reply = RemoteInstance(m_bus.connect())
                                       .call(QLatin1String(ApplicationService::kOwnInterface), u"Quit"_qs);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY(timer.elapsed() < 2 * RemoteInstance::kProbeTimeoutMs);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestApplicationService)
#include "tst_applicationservice.moc"
