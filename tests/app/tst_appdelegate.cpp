#include "FakeClickMonitor.h"
#include "TestEnvironment.h"
#include "app/AppDelegate.h"
#include "app/PanelController.h"
#include "app/TrayIcon.h"
#include "model/NookStore.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "views/TuckawayView.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <memory>

class TestAppDelegate : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppDelegate> m_delegate;
    int m_settingsOpened = 0;

    QStringList itemNames() const {
        QStringList names;
        for (const NookItem& item : m_delegate->store().groups().first().items)
            names << item.name;
        return names;
    }
    void launch() {
        m_delegate->setClickMonitorFactory([] { return std::make_unique<FakeClickMonitor>(); });
        m_delegate->applicationDidFinishLaunching();
    }
    bool panelShown() const { return m_delegate->panelController()->isShown(); }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::German)); }

    void init() {
        Preferences::instance().setCurrentNook({});
        m_env = std::make_unique<TestEnvironment>();
        m_delegate = std::make_unique<AppDelegate>(m_env->makeFolder(QStringLiteral("data")));
        m_settingsOpened = 0;
        m_delegate->setOpenSettings([this] { ++m_settingsOpened; });
    }
    void cleanup() {
        m_delegate.reset();
        m_env.reset();
    }

    void beforeLaunchFinishesFilesAreAddedWithoutAPanel() {
        QVERIFY(!m_delegate->panelController());
        m_delegate->reopen(); // ignored
        const QString file = m_env->makeFile(QStringLiteral("docs/early.txt"));
        QElapsedTimer timer;
        timer.start();
        QSignalSpy changed(&m_delegate->store(), &NookStore::groupsChanged);
        m_delegate->open({QUrl::fromLocalFile(file)});
        QVERIFY(itemNames().isEmpty());
        QVERIFY(changed.wait(2000));
        QVERIFY(timer.elapsed() >= AppDelegate::kOpenDelayMs - 5);
        QCOMPARE(itemNames(), QStringList{QStringLiteral("early")});
        QVERIFY(!m_delegate->panelController());
    }

    void launchPutsUpNothingVisibleButTheTrayIcon_data() {
        QTest::addColumn<bool>("x11");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("dummyWindow");
        QTest::newRow("X server") << true << false << true;
        QTest::newRow("XWayland") << true << true << false;
        QTest::newRow("Wayland") << false << true << false;
    }
    void launchPutsUpNothingVisibleButTheTrayIcon() {
        QFETCH(bool, x11);
        QFETCH(bool, wayland);
        QFETCH(bool, dummyWindow);
        DisplaySession session;
        session.x11 = x11;
        session.wayland = wayland;
        m_delegate->setDisplaySession(session);
        launch();
        QVERIFY(m_delegate->panelController());
        QVERIFY(!panelShown());
        QWidget* dummy = m_delegate->dummyWindow();
        QCOMPARE(dummy != nullptr, dummyWindow);
        if (dummy) {
            QCOMPARE(dummy->size(), QSize(1, 1));
            QCOMPARE(dummy->windowOpacity(), 0.0);
            QVERIFY(dummy->windowFlags().testFlag(Qt::WindowTransparentForInput));
            QVERIFY(dummy->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        }
        // Launch finishes once; a second call builds nothing new.
        PanelController* controller = m_delegate->panelController();
        m_delegate->applicationDidFinishLaunching();
        QCOMPARE(m_delegate->panelController(), controller);
    }

    void clicksOnTheIconAlternate() {
        launch();
        m_delegate->reopen();
        QVERIFY(panelShown());
        m_delegate->reopen();
        QVERIFY(!panelShown());
        // The tray icon's click and a quick second click (a double click) each toggle.
        QSystemTrayIcon* tray = m_delegate->trayIcon()->systemTrayIcon();
        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(panelShown());
        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!panelShown());
        emit tray->activated(QSystemTrayIcon::Context);
        QVERIFY(!panelShown());
    }

    void filesHandedOverShowThePanelAndJoinTheCurrentNook() {
        launch();
        const QString a = m_env->makeFile(QStringLiteral("docs/Alpha.txt"));
        const QString b = m_env->makeFile(QStringLiteral("docs/Beta.tar.gz"));
        m_delegate->open({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QVERIFY(panelShown());
        QVERIFY(itemNames().isEmpty());
        QTRY_COMPARE(itemNames(), QStringList({QStringLiteral("Alpha"), QStringLiteral("Beta.tar")}));

        // While shown: the panel stays; a file already there and unusable URLs add nothing.
        const QRect where = m_delegate->panelController()->window()->geometry();
        m_delegate->open({QUrl::fromLocalFile(a), QUrl(QStringLiteral("https://example.org/x")),
                          QUrl::fromLocalFile(m_env->home() + QStringLiteral("/missing.txt"))});
        QVERIFY(panelShown());
        QCOMPARE(m_delegate->panelController()->window()->geometry(), where);

        // Closed in the meantime: the files are added all the same. Delayed adds run in
        // order, so once Gamma is there the batch before it is done.
        const QString c = m_env->makeFile(QStringLiteral("docs/Gamma"));
        m_delegate->open({QUrl::fromLocalFile(c)});
        m_delegate->reopen();
        QVERIFY(!panelShown());
        QTRY_COMPARE(itemNames(), QStringList({QStringLiteral("Alpha"), QStringLiteral("Beta.tar"),
                                               QStringLiteral("Gamma")}));
    }

    // Told the files were taken, the sender must find them even when a quit came first.
    void aQuitCompletesPendingHandOvers() {
        launch();
        const QString a = m_env->makeFile(QStringLiteral("docs/Alpha.txt"));
        m_delegate->open({QUrl::fromLocalFile(a)});
        m_delegate->activateAction(QStringLiteral("quit"));
        const QString b = m_env->makeFile(QStringLiteral("docs/Beta.txt"));
        m_delegate->open({QUrl::fromLocalFile(b)});
        const QString folder = m_delegate->store().saveURL().adjusted(QUrl::RemoveFilename).toLocalFile();
        m_delegate.reset();
        QCOMPARE(NookStore(folder).groups().first().items.size(), 2);
    }

    void theCurrentNookSurvivesARestart() {
        NookStore& store = m_delegate->store();
        store.addGroup(QStringLiteral("Work"));
        const QUuid work = store.groups().last().id;
        store.addGroup(QStringLiteral("Later"));
        store.selectGroup(work);
        m_delegate = std::make_unique<AppDelegate>(m_env->home() + QStringLiteral("/data"));
        QCOMPARE(m_delegate->store().selectedGroupID(), work);
        launch();
        m_delegate->open({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("docs/Plan.txt")))});
        QTRY_COMPARE(m_delegate->store().groups().at(1).items.size(), 1);
        QCOMPARE(m_delegate->panelController()->view()->selectedGroupID(), work);
    }

    void aHandOverWithNoNookMakesTheDefaultOne() {
        launch();
        NookStore& store = m_delegate->store();
        store.deleteGroup(store.groups().first().id);
        QVERIFY(store.groups().isEmpty());
        m_delegate->open({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("docs/Alpha.txt")))});
        QTRY_COMPARE(store.groups().size(), 1);
        QCOMPARE(store.groups().first().name, QStringLiteral("Favoriten"));
        QTRY_COMPARE(itemNames(), QStringList{QStringLiteral("Alpha")}); // added in the background
        QCOMPARE(m_delegate->panelController()->view()->selectedGroupID(), store.groups().first().id);
    }

    void actionsFromTheMenuAndTheBus() {
        launch();
        QMenu* menu = m_delegate->trayIcon()->menu();
        QAction* settings = menu->findChild<QAction*>(QStringLiteral("settings"));
        QAction* quit = menu->findChild<QAction*>(QStringLiteral("quit"));
        QVERIFY(settings && quit);
        QCOMPARE(settings->text(), QStringLiteral("Einstellungen…"));
        QCOMPARE(quit->text(), QStringLiteral("Tuckaway beenden"));
        settings->trigger();
        QCOMPARE(m_settingsOpened, 1);
        m_delegate->activateAction(QStringLiteral("settings"));
        QCOMPARE(m_settingsOpened, 2);
        m_delegate->activateAction(QStringLiteral("Settings"));
        m_delegate->activateAction(QString());
        QCOMPARE(m_settingsOpened, 2);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
