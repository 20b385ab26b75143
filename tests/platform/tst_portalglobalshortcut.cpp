#include "PrivateBus.h"
#include "platform/portal/PortalGlobalShortcut.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kPath = u"/org/freedesktop/portal/desktop"_s;
const QString kInterface = u"org.freedesktop.portal.GlobalShortcuts"_s;

// The desktop's side, on a thread of its own as a separate program would be: answers each
// request through its Response signal, binding what was asked for unless told otherwise.
class FakePortal : public QDBusVirtualObject {
public:
    uint response = 0;
    bool bindsAnything = true;
    QString session;
    QString askedID; // of the one shortcut asked for
    QVariantMap askedOptions;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == u"Get"_s) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
            return true;
        }
        const QVariantList arguments = message.arguments();
        QString sender = message.service().mid(1);
        sender.replace(u'.', u'_');
        const QString token = qdbus_cast<QVariantMap>(arguments.last()).value(u"handle_token"_s).toString();
        const QString request = u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(sender, token);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results;
        if (member == u"CreateSession"_s) {
            session = u"/org/freedesktop/portal/desktop/session/%1/%2"_s.arg(sender, token);
            results.insert(u"session_handle"_s, session);
        } else if (member == u"BindShortcuts"_s) {
            const QDBusArgument shortcuts = arguments.at(1).value<QDBusArgument>();
            shortcuts.beginArray();
            shortcuts.beginStructure();
            shortcuts >> askedID >> askedOptions;
            shortcuts.endStructure();
            shortcuts.endArray();
            if (bindsAnything)
                results.insert(u"shortcuts"_s, arguments.at(1));
        } else {
            return true; // Session.Close and the like
        }
        QDBusMessage signal =
            QDBusMessage::createSignal(request, u"org.freedesktop.portal.Request"_s, u"Response"_s);
        signal << response << results;
        connection.send(signal);
        return true;
    }
};

} // namespace

class TestPortalGlobalShortcut : public QObject {
    Q_OBJECT

    PrivateBus m_bus;
    QThread m_portalThread;
    std::unique_ptr<FakePortal> m_portal = std::make_unique<FakePortal>();
    QDBusConnection m_portalBus{QString()};

private slots:
    void initTestCase() {
        if (!m_bus.start())
            QSKIP("no dbus-daemon");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        m_portalBus = m_bus.connect();
        QVERIFY(m_portalBus.registerService(u"org.freedesktop.portal.Desktop"_s));
        m_portal->moveToThread(&m_portalThread);
        m_portalThread.start();
        QVERIFY(m_portalBus.registerVirtualObject(kPath, m_portal.get()));
    }
    void cleanupTestCase() {
        m_portalThread.quit();
        m_portalThread.wait();
    }

    // The keys go to the desktop as a trigger in its own form; what it answers is the status,
    // and only our session's activations count.
    void bindingAndActivation_data() {
        QTest::addColumn<uint>("response");
        QTest::addColumn<bool>("bindsAnything");
        QTest::addColumn<GlobalShortcut::Status>("status");
        QTest::addColumn<QString>("trigger");
        using S = GlobalShortcut::Status;
        QTest::newRow("bound") << 0u << true << S::Bound << u"CTRL+ALT+space"_s;
        QTest::newRow("Super, a letter in lower case") << 0u << true << S::Bound << u"SHIFT+LOGO+k"_s;
        QTest::newRow("the desktop binds nothing") << 0u << false << S::Taken << QString();
        QTest::newRow("the user says no") << 1u << true << S::Taken << QString();
        QTest::newRow("no portal on the bus") << 0u << true << S::Unavailable << QString();
    }
    void bindingAndActivation() {
        QFETCH(uint, response);
        QFETCH(bool, bindsAnything);
        QFETCH(GlobalShortcut::Status, status);
        const bool portal = status != GlobalShortcut::Status::Unavailable;
        QFETCH(QString, trigger);
        const QKeySequence keys(trigger.startsWith(u'S') ? u"Meta+Shift+K"_s : u"Ctrl+Alt+Space"_s);
        if (!portal)
            QVERIFY(m_portalBus.unregisterService(u"org.freedesktop.portal.Desktop"_s));
        auto registerAgain =
            qScopeGuard([&] { m_portalBus.registerService(u"org.freedesktop.portal.Desktop"_s); });
        m_portal->response = response;
        m_portal->bindsAnything = bindsAnything;
        m_portal->askedID.clear();
        auto shortcut = PortalGlobalShortcut::create();
        QVERIFY(shortcut);
        QSignalSpy activations(shortcut.get(), &GlobalShortcut::activated);
        shortcut->bind(keys);
        QCOMPARE(shortcut->status(), GlobalShortcut::Status::Pending);
        QTRY_COMPARE(shortcut->status(), status);
        QCOMPARE(m_portal->askedID.isEmpty(), response != 0 || !portal); // no binding after a refused session
        if (status != GlobalShortcut::Status::Bound)
            return;
        QCOMPARE(m_portal->askedOptions.value(u"preferred_trigger"_s).toString(), trigger);
        const QString session = m_portal->session;
        const auto activate = [&](const QString& path) {
            QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, u"Activated"_s);
            signal << QVariant::fromValue(QDBusObjectPath(path)) << m_portal->askedID << qulonglong(1)
                   << QVariantMap();
            m_portalBus.send(signal);
        };
        activate(u"/org/freedesktop/portal/desktop/session/other/x"_s);
        activate(session);
        // Signals of one sender arrive in order: once ours is in, the other one was seen too.
        QTRY_VERIFY(!activations.isEmpty());
        QCOMPARE(activations.size(), 1);

        // Other keys the desktop refuses leave these working.
        QSignalSpy refusals(shortcut.get(), &GlobalShortcut::refused);
        m_portal->response = 1;
        shortcut->bind(QKeySequence(u"Ctrl+Shift+K"_s));
        QTRY_COMPARE(refusals.size(), 1);
        activate(session);
        QTRY_COMPARE(activations.size(), 2);
        QCOMPARE(shortcut->keys(), keys);

        shortcut->bind({});
        QCOMPARE(shortcut->status(), GlobalShortcut::Status::Off);
    }
};

QTEST_GUILESS_MAIN(TestPortalGlobalShortcut)
#include "tst_portalglobalshortcut.moc"
