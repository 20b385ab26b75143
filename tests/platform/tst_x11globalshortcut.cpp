#include "TestEnvironment.h"
#include "platform/x11/X11GlobalShortcut.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using Status = GlobalShortcut::Status;

// What happens ("bind:A"; "other:B" another program takes B, "other:-" lets go; "key:A",
// "keydown:A", "keyup:A" through xdotool; "hold" the keys down a while; "wait" until they are
// held, after being taken; "caps" Caps Lock, "num" Num Lock); then the status and keys, the
// activations and refusals, and keys another program could take afterwards.
struct Case {
    const char* steps;
    Status status;
    const char* keys;
    int activations, refusals = 0;
    const char* free = "";
};
Q_DECLARE_METATYPE(Case)

// The key grabs on a private X server; a second connection is the other program.
class TestX11GlobalShortcut : public QObject {
    Q_OBJECT
    QProcess m_server;

    static QKeySequence keysOf(QStringView name) {
        return QKeySequence(name == u"A"   ? u"Ctrl+Alt+Space"_s
                            : name == u"B" ? u"Ctrl+Shift+K"_s
                                           : QString());
    }

private slots:
    void initTestCase() {
        m_server.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s});
        QTRY_VERIFY_WITH_TIMEOUT(m_server.canReadLine(), 20000);
        qputenv("DISPLAY", ":" + m_server.readLine().trimmed());
    }
    void cleanupTestCase() {
        m_server.terminate();
        m_server.waitForFinished();
    }

    void grabsFollowTheKeys_data() {
        QTest::addColumn<Case>("c");
        const char *a = "Ctrl+Alt+Space", *b = "Ctrl+Shift+K";
        QTest::newRow("a change lets the old keys go")
            << Case{"bind:A bind:B key:B", Status::Bound, b, 1, 0, "A"};
        QTest::newRow("off lets the keys go") << Case{"bind:A bind:-", Status::Off, "", 0, 0, "A"};
        QTest::newRow("taken keys leave the old ones held")
            << Case{"other:B bind:A bind:B key:A", Status::Bound, a, 1, 1};
        QTest::newRow("taken at start: had at the first press once let go")
            << Case{"other:A bind:A other:- keydown:A wait keyup:A key:A", Status::Bound, a, 2};
        QTest::newRow("a held key counts once")
            << Case{"bind:A keydown:A hold keyup:A key:A", Status::Bound, a, 2};
        QTest::newRow("with Caps Lock on, then Num Lock too")
            << Case{"bind:A caps key:A num key:A caps num", Status::Bound, a, 2};
    }
    void grabsFollowTheKeys() {
        QFETCH(Case, c);
        const std::unique_ptr<X11GlobalShortcut> shortcut = X11GlobalShortcut::create();
        std::unique_ptr<X11GlobalShortcut> other = X11GlobalShortcut::create();
        QVERIFY(shortcut && other);
        QSignalSpy activations(shortcut.get(), &GlobalShortcut::activated);
        QSignalSpy refusals(shortcut.get(), &GlobalShortcut::refused);
        for (const QString& step : QString::fromLatin1(c.steps).split(u' ')) {
            const QString verb = step.section(u':', 0, 0), name = step.section(u':', 1);
            if (verb == u"bind" || verb == u"other")
                (verb == u"bind" ? shortcut : other)->bind(keysOf(name));
            else if (verb == u"caps" || verb == u"num")
                QCOMPARE(QProcess::execute(u"xdotool"_s,
                                           {u"key"_s, verb == u"caps" ? u"Caps_Lock"_s : u"Num_Lock"_s}),
                         0);
            else if (verb.startsWith(u"key"))
                QCOMPARE(QProcess::execute(u"xdotool"_s,
                                           {verb, name == u"A" ? u"ctrl+alt+space"_s : u"ctrl+shift+k"_s}),
                         0);
            else if (verb == u"wait")
                QTRY_COMPARE(shortcut->status(), Status::Bound);
            else if (verb == u"hold")
                QTest::qWait(900); // the time the keys are down: they repeat from 660 ms on
        }
        // Events of one connection come in order: once the last press is in, so is every one before.
        QTRY_VERIFY(activations.size() >= c.activations);
        QCoreApplication::processEvents();
        QCOMPARE(activations.size(), c.activations);
        QCOMPARE(refusals.size(), c.refusals);
        QCOMPARE(shortcut->status(), c.status);
        QCOMPARE(shortcut->keys().toString(), QLatin1String(c.keys));
        for (const QString& name : QString::fromLatin1(c.free).split(u' ', Qt::SkipEmptyParts)) {
            other->bind(keysOf(name));
            QCOMPARE(other->status(), Status::Bound);
        }
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestX11GlobalShortcut)
#include "tst_x11globalshortcut.moc"
