#include "FakeClickMonitor.h"
#include "FakeShortcut.h"
#include "TestEnvironment.h"
#include "app/AppDelegate.h"
#include "app/AppIcon.h"
#include "app/PanelController.h"
#include "app/TrayIcon.h"
#include "model/NookStore.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QPixmapCache>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

class TestAppDelegate : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<AppDelegate> m_delegate;

    QString file(const QString& path) const {
        return QString::fromUtf8(QUrl::fromLocalFile(m_env->makeFile(path)).toEncoded());
    }
    bool panelShown() const { return m_delegate->panelController()->isShown(); }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::German)); }

    void init() {
        Preferences::instance().setCurrentNook({});
        m_env = std::make_unique<TestEnvironment>();
        m_delegate = std::make_unique<AppDelegate>(m_env->makeFolder(u"data"_qs));
        m_delegate->setClickMonitorFactory([] { return std::make_unique<FakeClickMonitor>(); });
        m_delegate->applicationDidFinishLaunching();
    }
    void cleanup() {
        m_delegate.reset();
        m_env.reset();
    }

    // The menu says when the shortcut's keys are taken and tries them again as it opens. The
    // tray icon's click and a quick second click (a double click) each toggle.
    void clicksOnTheIconAlternate() {
        FakeShortcut shortcut;
        shortcut.taken = {QKeySequence(u"Ctrl+Alt+Space"_qs)};
        shortcut.bind(shortcut.taken.first());
        m_delegate->trayIcon()->followShortcut(&shortcut);
        QAction* line = m_delegate->trayIcon()->menu()->findChild<QAction*>(u"shortcutTaken"_qs);
        QCOMPARE(line->isVisible() ? line->text() : QString(),
                 u"Kürzel Strg+Alt+Leertaste ist von einem anderen Programm belegt"_qs);
        shortcut.taken.clear();
        emit m_delegate->trayIcon()->menu()->aboutToShow();
        QVERIFY(!line->isVisible());

        QSystemTrayIcon* tray = m_delegate->trayIcon()->systemTrayIcon();
        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(panelShown());
        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!panelShown());
        emit tray->activated(QSystemTrayIcon::Context);
        QVERIFY(!panelShown());
    }

    // The panel shows (and stays shown) and the files join the current nook a moment later;
    // with no nook left, a default one is made for them. A URI that does not parse is left out.
    void filesHandedOverShowThePanelAndJoinTheCurrentNook() {
        NookStore& store = m_delegate->store();
        store.deleteGroup(store.groups().first().id);
        m_delegate->open(
            {file(u"docs/Alpha.txt"_qs), u"http://exa mple/%zz"_qs, file(u"docs/Beta.tar.gz"_qs)});
        QVERIFY(panelShown());
        QVERIFY(store.groups().isEmpty());
        QTRY_COMPARE(store.groups().size(), 1);
        QTRY_COMPARE(store.groups().first().items.size(), 2); // added in the background
        QCOMPARE(store.groups().first().name, u"Favoriten"_qs);
        m_delegate->open({file(u"docs/Gamma"_qs)});
        QVERIFY(panelShown());
    }

    // Told the files were taken, the sender must find them even when a quit came first.
    void aQuitCompletesPendingHandOvers() {
        m_delegate->open({file(u"docs/Alpha.txt"_qs)});
        m_delegate->perform(AppAction::Quit);
        m_delegate->open({file(u"docs/Beta.txt"_qs)});
        const QString folder = m_delegate->store().saveURL().adjusted(QUrl::RemoveFilename).toLocalFile();
        m_delegate.reset();
        QCOMPARE(NookStore(folder).groups().first().items.size(), 2);
    }

    // The data is read while the tray icon docks. Launch waits until the icon is drawn (a tray
    // that never draws it is given two seconds) and then makes the store from what was read,
    // with the nook last selected current again; a click that comes first launches there and then.
    // Launch lets go of what the icon's paints cached: Qt's cache would wake the process for it.
    void theDataIsReadWhileTheIconDocks() {
        m_delegate->store().addGroup(u"Work"_qs); // and selects it
        const QUuid work = m_delegate->store().groups().last().id;
        enum class First { Click, Drawn, Nothing };
        for (const First first : {First::Click, First::Drawn, First::Nothing}) {
            m_delegate.reset(); // saves
            m_delegate = std::make_unique<AppDelegate>(m_env->home() + u"/data"_qs);
            m_delegate->setClickMonitorFactory([] { return std::make_unique<FakeClickMonitor>(); });
            m_delegate->setDisplaySession(DisplaySession{true, false, true});
            QSignalSpy launched(m_delegate.get(), &AppDelegate::launched);
            QPixmapCache::insert(u"the icon's paint"_qs, QPixmap(22, 22));
            m_delegate->trayIcon()->blockSignals(true); // as if the tray had not drawn it yet
            QTest::qWait(100);                          // the reading is done by now
            QVERIFY(!m_delegate->panelController());
            QVERIFY(!m_delegate->dummyWindow()); // nothing of launch before the icon
            if (first == First::Click) {
                m_delegate->trayIcon()->blockSignals(false);
                emit m_delegate->trayIcon()->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
                QCOMPARE(launched.count(), 1);
                QVERIFY(panelShown());
            } else if (first == First::Drawn) {
                m_delegate->trayIcon()->blockSignals(false);
                emit m_delegate->trayIcon()->drawn();
                QCOMPARE(launched.count(), 1);
            }
            QTRY_VERIFY_WITH_TIMEOUT(m_delegate->panelController(), AppDelegate::kLaunchFallbackMs + 1000);
            QVERIFY(m_delegate->dummyWindow());
            QPixmap cached;
            QVERIFY(!QPixmapCache::find(u"the icon's paint"_qs, &cached));
            QCOMPARE(m_delegate->store().selectedGroupID(), work);
            m_delegate->trayIcon()->blockSignals(false);
            emit m_delegate->trayIcon()->drawn(); // a late word from the tray changes nothing
            QCOMPARE(launched.count(), 1);
        }
    }

    void actionsFromTheMenuAndTheBus() {
        QSignalSpy settingsOpened(m_delegate.get(), &AppDelegate::settingsRequested);
        m_delegate->trayIcon()->menu()->findChild<QAction*>(u"settings"_qs)->trigger();
        QCOMPARE(settingsOpened.count(), 1);
        m_delegate->perform(AppAction::OpenSettings);
        QCOMPARE(settingsOpened.count(), 2);
        m_delegate->perform(AppAction::ShowPanel);
        m_delegate->perform(AppAction::ShowPanel); // shows, never closes
        QVERIFY(panelShown());
        // The settings window, known by pointer, stays above the panel (which stays on top).
        QWidget settings;
        m_delegate->keepAbovePanel(&settings);
        QVERIFY(settings.isVisible());
        QVERIFY(settings.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    // The tray icon looks as its SVG does, pixel for pixel: at the sizes the build rendered
    // and at any other.
    void theTrayIconIsItsSvg_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("renderedByTheBuild");
        QTest::newRow("16") << 16 << true;
        QTest::newRow("22, tint2's") << 22 << true;
        QTest::newRow("128") << 128 << true;
        QTest::newRow("20") << 20 << false;
        QTest::newRow("100") << 100 << false;
    }
    void theTrayIconIsItsSvg() {
        QFETCH(int, size);
        QFETCH(bool, renderedByTheBuild);
        QCOMPARE(QFile::exists(AppIcon::renderedPath(size)), renderedByTheBuild);
        const auto image = [size](const QIcon& icon) {
            return icon.pixmap(QSize(size, size))
                .toImage()
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        const QImage shown = image(m_delegate->trayIcon()->systemTrayIcon()->icon());
        QCOMPARE(shown.size(), QSize(size, size));
        QVERIFY(shown == image(AppIcon::fromSvg()));
    }

    // The tray's Export and Import ask for a file; the nooks go there, or come from there.
    void theTrayExportsAndImportsAChosenFile_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("export") << u"export"_qs;
        QTest::newRow("import") << u"import"_qs;
    }
    void theTrayExportsAndImportsAChosenFile() {
        QFETCH(QString, action);
        const QString document = m_env->home() + u"/chosen.json"_qs;
        if (action == u"import")
            m_env->makeFile(u"chosen.json"_qs,
                            R"({"tuckaway-nooks": 1, "nooks": [{"name": "Home", "items": []}]})");
        m_delegate->trayIcon()->menu()->findChild<QAction*>(action)->trigger();
        QFileDialog* dialog = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            dialog = window->isVisible() && qobject_cast<QFileDialog*>(window)
                         ? qobject_cast<QFileDialog*>(window)
                         : dialog;
        QVERIFY(dialog);
        dialog->selectFile(document);
        QMetaObject::invokeMethod(dialog, "accept");
        if (action == u"import")
            QTRY_COMPARE(m_delegate->store().groups().last().name, u"Home"_qs);
        else
            QTRY_VERIFY(QFile(document).size() > 0);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
