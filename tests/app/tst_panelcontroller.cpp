#include "FakeClickMonitor.h"
#include "TestEnvironment.h"
#include "app/HeldKeyGuard.h"
#include "app/PanelController.h"
#include "model/HandOverQueue.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "platform/Preferences.h"
#include "views/DragRunner.h"
#include "views/ItemGridView.h"
#include "views/TuckawayView.h"

#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

Q_DECLARE_METATYPE(ItemOpener::Result)

// The offscreen screen has no desktop panel: the panel's bottom is the bar gap above its bottom.
class TestPanelController : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<Preferences> m_preferences;
    IconCache m_icons;
    std::unique_ptr<PanelController> m_controller;
    FakeClickMonitor* m_monitor = nullptr;
    QList<QPair<QUrl, bool>> m_opened; // the URL, and whether the panel was shown then
    ItemOpener::Result m_openResult = ItemOpener::Result::Opened;

    QRect screen() const { return QGuiApplication::primaryScreen()->geometry(); }
    QRect panel() const { return m_controller->window()->geometry(); }
    int expectedBottom() const { return screen().y() + screen().height() - PanelPlacement::kBarGap; }
    QPoint outside() const { return screen().topLeft() + QPoint(2, 2); }

    // Waits until a close after an outside click is no longer pending; true when shown then.
    bool stillShownAfterTheDelay() {
        const auto* delay = m_controller->findChild<QTimer*>(u"outsideClickDelay"_qs);
        return delay && QTest::qWaitFor([&] { return !delay->isActive(); }) && m_controller->isShown();
    }
    // Shows the panel with one item, a file made at `path`; returns the grid once it shows it.
    ItemGridView* showWithItem(const QString& path) {
        m_store->handOvers().add({QUrl::fromLocalFile(m_env->makeFile(path))}, HandOverTarget::current());
        m_store->handOvers().complete();
        m_controller->show();
        ItemGridView* grid = m_controller->view()->grid();
        const bool shown = QTest::qWaitForWindowExposed(m_controller->window()) &&
                           QTest::qWaitFor([&] { return grid->items().size() == 1; });
        return shown ? grid : nullptr;
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_preferences = std::make_unique<Preferences>(m_env->configHome() + u"/prefs.conf"_qs);
        m_store = std::make_unique<NookStore>(m_env->makeFolder(u"data"_qs));
        auto monitor = std::make_unique<FakeClickMonitor>();
        m_monitor = monitor.get();
        m_controller =
            std::make_unique<PanelController>(*m_store, *m_preferences, m_icons, std::move(monitor));
        m_opened.clear();
        m_controller->setItemOpener([this](const QUrl& url) {
            m_opened.append({url, m_controller->isShown()});
            return m_openResult;
        });
        m_controller->setApplicationOpener([this](const QString& id, const QUrl& url) {
            m_opened.append({QUrl(id + u':' + url.toString()), m_controller->isShown()});
            return m_openResult;
        });
        QCursor::setPos(screen().center());
    }
    void cleanup() {
        m_controller.reset();
        m_store.reset();
        m_env.reset();
        DragRunner::setRunner({});
    }

    void showsAtThePointerAndToggles() {
        // Nothing of the panel is made before it is first needed.
        QVERIFY(!m_controller->window() && !m_controller->view());
        m_controller->close();
        QVERIFY(!m_controller->window());
        QCursor::setPos(screen().x() + 300, screen().center().y());
        m_controller->show();
        QVERIFY(m_monitor->isActive());
        QCOMPARE(panel().size(), QSize(360, 440));
        QCOMPARE(panel().center().x(), screen().x() + 300 - 1); // 360 wide: centre pixel left of x
        QCOMPARE(panel().y() + panel().height(), expectedBottom());

        QCursor::setPos(screen().x() + 500, screen().center().y());
        m_controller->toggle();
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
        m_controller->toggle();
        QCOMPARE(panel().center().x(), screen().x() + 500 - 1);
        // The window manager's close button.
        QVERIFY(m_controller->window()->windowHandle()->close());
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
    }

    // A showing likely to come soon builds the panel and paints it unseen (its icons asked
    // for); the showing uses what was built, and once built there is nothing more to do.
    void preparedAheadOfAShowing() {
        m_store->handOvers().add({QUrl::fromLocalFile(m_env->makeFile(u"a.txt"_qs))},
                                 HandOverTarget::current());
        m_store->handOvers().complete();
        QTRY_COMPARE(m_store->groups().value(0).items.size(), 1);
        m_controller->prepare();
        QWidget* window = m_controller->window();
        QVERIFY(window && !window->isVisible() && !m_controller->isShown() && !m_monitor->isActive());
        QCOMPARE(m_icons.loadsStarted(), 1);
        m_controller->show();
        QCOMPARE(m_controller->window(), window);
        QVERIFY(window->isVisible());
        m_controller->prepare();
        QVERIFY(m_controller->isShown());
        QCOMPARE(m_icons.loadsStarted(), 1);
    }

    // A change of the screen or of its usable area while shown brings the panel back onto it.
    void aScreenChangeKeepsThePanelInside() {
        m_controller->show();
        QScreen* shown = QGuiApplication::primaryScreen();
        m_controller->window()->move(screen().right() - 100, screen().bottom() - 100);
        emit shown->availableGeometryChanged(shown->availableGeometry());
        QCOMPARE(panel().bottomRight(), screen().bottomRight());
        m_controller->window()->move(screen().left() - 100, screen().top() - 100);
        emit shown->geometryChanged(shown->geometry());
        QCOMPARE(panel().topLeft(), screen().topLeft());
    }

    // A key down when the panel shows is kept from it until let go. Steps: the keyboard holds
    // the key ("down") or not ("up"), the panel shows ("show"); then the key's events, a press
    // or release ("P", "R") or one marked as a repeat ("p", "r"), each followed by whether the
    // panel is spared it ("+") or gets it ("-").
    void heldKeys_data() {
        QTest::addColumn<QString>("steps");
        QTest::newRow("a key up at the showing acts") << u"up show P- R-"_qs;
        QTest::newRow("repeats while held, then let go") << u"down show r+ p+ r+ p+ up R+ P- R-"_qs;
        // On a busy machine the repeat is handled after the real release has happened.
        QTest::newRow("a repeat handled once the key is up") << u"down show r+ p+ up r+ p+ R+ P-"_qs;
        QTest::newRow("a release while the keyboard holds the key") << u"down show R+ P+ up R+ P-"_qs;
        QTest::newRow("showing again forgets a key let go") << u"down show up show P-"_qs;
    }
    void heldKeys() {
        QFETCH(QString, steps);
        constexpr quint32 kCode = 9;
        bool down = false;
        HeldKeyGuard guard([&] { return down ? QSet<quint32>{kCode} : QSet<quint32>{}; });
        for (const QString& step : steps.split(u' ')) {
            if (step == u"down" || step == u"up") {
                down = step == u"down";
            } else if (step == u"show") {
                guard.arm();
            } else {
                const QKeyEvent event(step[0].toLower() == u'p' ? QEvent::KeyPress : QEvent::KeyRelease,
                                      Qt::Key_Escape, Qt::NoModifier, kCode, 0, 0, {}, step[0].isLower());
                QVERIFY2(guard.swallows(event) == (step[1] == u'+'), qPrintable(step));
            }
        }
    }

    // A click into another application ("report") or the focus going to one ("away") closes
    // the panel after a short delay; a click on the "panel" never does, whichever comes first,
    // nor the focus coming "back", nor a click before the panel was closed and shown again,
    // nor one while pinned or followed by a "pin" within the delay; the pin outlives a closing.
    void outsideClicks_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("closes");
        QTest::newRow("click reported") << u"report"_qs << true;
        QTest::newRow("focus lost to another window") << u"away"_qs << true;
        QTest::newRow("on the panel, seen first") << u"panel report"_qs << false;
        QTest::newRow("on the panel, reported first") << u"report panel"_qs << false;
        QTest::newRow("focus lost and back") << u"away back"_qs << false;
        QTest::newRow("closed and shown again") << u"report toggle toggle"_qs << false;
        QTest::newRow("pinned") << u"pin report"_qs << false;
        QTest::newRow("pinned during the delay") << u"report pin"_qs << false;
        QTest::newRow("made while pinned, then unpinned") << u"pin report unpin"_qs << false;
        QTest::newRow("pinned, closed and shown again") << u"pin toggle toggle report"_qs << false;
        QTest::newRow("unpinned again") << u"pin toggle toggle unpin report"_qs << true;
    }
    void outsideClicks() {
        QFETCH(QString, steps);
        QFETCH(bool, closes);
        m_controller->show();
        QVERIFY(QTest::qWaitForWindowActive(m_controller->window())); // no activation change pending
        QCursor::setPos(outside());
        for (const QString& step : steps.split(u' ')) {
            if (step == u"report")
                m_monitor->click();
            else if (step == u"panel")
                QTest::mouseClick(m_controller->window()->windowHandle(), Qt::LeftButton, {},
                                  QPoint(180, 20));
            else if (step == u"toggle")
                m_controller->toggle();
            else if (step.endsWith(u"pin"))
                m_controller->pinState().setValue(step == u"pin");
            else
                emit qGuiApp->applicationStateChanged(step == u"away" ? Qt::ApplicationInactive
                                                                      : Qt::ApplicationActive);
        }
        QVERIFY(m_controller->isShown());
        QCOMPARE(stillShownAfterTheDelay(), !closes);
        QCOMPARE(m_monitor->isActive(), !closes);
    }

    void aDragFromThePanelKeepsItOpen() {
        ItemGridView* grid = showWithItem(u"docs/drag.txt"_qs);
        QVERIFY(grid);
        bool draggingSeen = false;
        DragRunner::setRunner([&](QDrag&, Qt::DropActions) {
            // The pointer leaves the panel and the button comes up over another application.
            draggingSeen = m_controller->view()->isDragActive();
            QCursor::setPos(outside());
            m_monitor->click();
            return Qt::IgnoreAction;
        });
        // A Ctrl-drag of the item, the one kind of drag that carries something.
        const QPoint start = grid->cellRect(0).center().toPoint();
        QTest::keyPress(m_controller->view(), Qt::Key_Control);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, start);
        QTest::mouseMove(grid->viewport(), start + QPoint(30, 0)); // the button still held
        QTest::keyRelease(m_controller->view(), Qt::Key_Control);
        QVERIFY(draggingSeen);
        QVERIFY(stillShownAfterTheDelay());
    }

    // The target is looked for in the background: the panel is gone at once unless pinned,
    // and a failure to open brings it back to tell, where it was (the pointer has moved on).
    // "Open With" hands it to the application chosen.
    void openingAnItem_data() {
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<ItemOpener::Result>("result");
        QTest::addColumn<QString>("with");
        QTest::newRow("unpinned") << false << ItemOpener::Result::Opened << QString();
        QTest::newRow("pinned") << true << ItemOpener::Result::Opened << QString();
        QTest::newRow("unpinned, no application") << false << ItemOpener::Result::NoApplication << QString();
        QTest::newRow("with an application") << false << ItemOpener::Result::Opened << u"viewer.desktop"_qs;
    }
    void openingAnItem() {
        QFETCH(bool, pinned);
        QFETCH(ItemOpener::Result, result);
        QFETCH(QString, with);
        m_openResult = result;
        m_controller->pinState().setValue(pinned);
        QCursor::setPos(screen().center());
        ItemGridView* grid = showWithItem(u"apps/Report 1.desktop"_qs);
        QVERIFY(grid);
        const QRect shownAt = panel();
        QSignalSpy finished(m_controller.get(), &PanelController::itemOpenFinished);
        if (with.isEmpty())
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(0).center().toPoint());
        else
            emit m_controller->view()->openWithRequested(grid->items().first(), with);
        QCursor::setPos(screen().topLeft() + QPoint(4, 4));
        QCOMPARE(m_controller->isShown(), pinned);
        QVERIFY(m_opened.isEmpty()); // opened from the event loop, after the panel is gone
        QTRY_COMPARE(finished.count(), 1);
        const QUrl file = QUrl::fromLocalFile(m_env->home() + u"/apps/Report 1.desktop"_qs);
        QCOMPARE(m_opened, (QList<QPair<QUrl, bool>>{
                               {with.isEmpty() ? file : QUrl(with + u':' + file.toString()), pinned}}));
        QCOMPARE(finished.first().at(1).value<ItemOpener::Result>(), result);
        QCOMPARE(m_controller->isShown(), pinned || result != ItemOpener::Result::Opened);
        if (m_controller->isShown())
            QCOMPARE(panel(), shownAt);
    }

    // Settings closed over the open panel give it the keyboard back.
    void theKeyboardComesBackWhenSettingsClose() {
        m_controller->show();
        QVERIFY(QTest::qWaitForWindowActive(m_controller->window()));
        QWidget settings;
        settings.resize(200, 100);
        m_controller->keepAbove(&settings);
        QVERIFY(QTest::qWaitForWindowActive(&settings));
        settings.hide();
        QVERIFY(QTest::qWaitForWindowActive(m_controller->window()));
        QVERIFY(m_controller->isShown());
    }

    void sizeFollowsThePreferences() {
        m_controller->show();
        const int centre = panel().center().x();

        // While shown: the panel grows upwards from the same place, and stays centred.
        m_preferences->setPanelHeight(300);
        QCOMPARE(panel().height(), 300);
        QCOMPARE(panel().y() + panel().height(), expectedBottom());
        m_preferences->setIconSize(64);
        QCOMPARE(panel().width(), 4 * 84 + 3 * 8 + 48);
        QCOMPARE(panel().center().x(), centre);
        QCOMPARE(panel().size(), m_controller->view()->size());
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestPanelController)
#include "tst_panelcontroller.moc"
