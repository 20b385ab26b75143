#include "FakeClickMonitor.h"
#include "TestEnvironment.h"
#include "app/PanelController.h"
#include "model/Bookmarks.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "platform/Preferences.h"
#include "views/DragRunner.h"
#include "views/ItemGridView.h"
#include "views/TuckawayView.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

// On the offscreen platform the screen has no panel along any edge: a hidden dock,
// counted as 79 px at the bottom. The panel's bottom edge then lies 79 + 24 (anchor) +
// 1 (the anchor itself) + 8 (gap) = 112 px above the screen's bottom.
class TestPanelController : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<Preferences> m_preferences;
    IconCache m_icons;
    std::unique_ptr<PanelController> m_controller;
    FakeClickMonitor* m_monitor = nullptr;
    QList<QPair<QUrl, bool>> m_opened; // the URL, and whether the panel was shown then

    QRect screen() const { return QGuiApplication::primaryScreen()->geometry(); }
    QRect panel() const { return m_controller->window()->geometry(); }
    int expectedBottom() const { return screen().y() + screen().height() - PanelPlacement::kBarGap; }
    QPoint outside() const { return screen().topLeft() + QPoint(2, 2); }

    // Waits until a close after an outside click is no longer pending; true when shown then.
    bool stillShownAfterTheDelay() {
        const auto* delay = m_controller->findChild<QTimer*>(QStringLiteral("outsideClickDelay"));
        return delay && QTest::qWaitFor([&] { return !delay->isActive(); }) && m_controller->isShown();
    }
    // Reports a click elsewhere; true when the panel closed.
    bool clickOutsideCloses() {
        m_monitor->click();
        return !stillShownAfterTheDelay();
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_preferences = std::make_unique<Preferences>(m_env->configHome() + QStringLiteral("/prefs.conf"));
        m_store = std::make_unique<NookStore>(m_env->makeFolder(QStringLiteral("data")));
        auto monitor = std::make_unique<FakeClickMonitor>();
        m_monitor = monitor.get();
        m_controller =
            std::make_unique<PanelController>(*m_store, *m_preferences, m_icons, std::move(monitor));
        m_opened.clear();
        m_controller->setItemOpener([this](const QUrl& url) {
            m_opened.append({url, m_controller->isShown()});
            return ItemOpener::Result::Opened;
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
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
        QCursor::setPos(screen().x() + 300, screen().center().y());
        m_controller->show();
        QVERIFY(m_controller->isShown());
        QVERIFY(m_monitor->isActive());
        QCOMPARE(panel().size(), QSize(360, 440));
        QCOMPARE(panel().center().x(), screen().x() + 300 - 1); // 360 wide: centre pixel left of x
        QCOMPARE(panel().y() + panel().height(), expectedBottom());
        QCOMPARE(m_controller->lastMouseX(), double(screen().x() + 300));

        // Showing again changes nothing, not even the remembered pointer.
        QCursor::setPos(screen().x() + 500, screen().center().y());
        const QRect before = panel();
        m_controller->show();
        QCOMPARE(panel(), before);
        QCOMPARE(m_controller->lastMouseX(), double(screen().x() + 300));

        m_controller->toggle();
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
        m_controller->close(); // harmless when closed
        m_controller->toggle();
        QVERIFY(m_controller->isShown());
        QCOMPARE(panel().center().x(), screen().x() + 500 - 1);
    }

    void whereTheCompositorPlacesWindowsOnlyTheSizeIsSet() {
        m_controller->setPlacesWindow(false);
        m_controller->window()->move(screen().topLeft() + QPoint(40, 30));
        QCursor::setPos(screen().x() + 600, screen().center().y());
        m_controller->show();
        QCOMPARE(panel(), QRect(screen().topLeft() + QPoint(40, 30), QSize(360, 440)));
        m_preferences->setColumns(5);
        QCOMPARE(panel(), QRect(screen().topLeft() + QPoint(40, 30), QSize(440, 440)));
    }

    // At the screen's ends, and when the screen changes while it is shown.
    void staysInsideTheUsableArea() {
        QCursor::setPos(screen().x() + 3, screen().center().y());
        m_controller->show();
        QCOMPARE(panel().x(), screen().x());
        m_controller->close();
        QCursor::setPos(screen().right() - 3, screen().center().y());
        m_controller->show();
        QCOMPARE(panel().right(), screen().right());

        m_controller->window()->move(screen().right() - 100, screen().bottom() - 100);
        QScreen* shown = QGuiApplication::primaryScreen();
        emit shown->availableGeometryChanged(shown->availableGeometry());
        QCOMPARE(panel().bottomRight(), screen().bottomRight());
        m_controller->window()->move(screen().left() - 100, screen().top() - 100);
        emit shown->geometryChanged(shown->geometry());
        QCOMPARE(panel().topLeft(), screen().topLeft());
    }

    void anOutsideClickOrFocusLossClosesAfterADelay_data() {
        QTest::addColumn<bool>("focusLoss");
        QTest::newRow("click reported") << false;
        QTest::newRow("focus lost to another window") << true;
    }
    void anOutsideClickOrFocusLossClosesAfterADelay() {
        QFETCH(bool, focusLoss);
        m_controller->show();
        QVERIFY(QTest::qWaitForWindowActive(m_controller->window())); // no activation change pending
        QSignalSpy closed(m_controller.get(), &PanelController::shownChanged);
        QElapsedTimer timer;
        timer.start();
        if (focusLoss)
            emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        else
            m_monitor->click();
        QVERIFY(m_controller->isShown());
        QVERIFY(closed.wait(1000));
        QVERIFY(timer.elapsed() >= PanelController::kOutsideClickDelayMs - 5);
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
    }

    // The report of a click and the click reaching our window come in either order; the
    // pointer may still be where the previous click was.
    void aClickOnThePanelIsNeverOutside_data() {
        QTest::addColumn<bool>("reportFirst");
        QTest::newRow("panel sees it first") << false;
        QTest::newRow("reported first") << true;
    }
    void aClickOnThePanelIsNeverOutside() {
        QFETCH(bool, reportFirst);
        m_controller->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_controller->window()));
        QCursor::setPos(outside());
        if (reportFirst)
            m_monitor->click();
        QTest::mouseClick(m_controller->window()->windowHandle(), Qt::LeftButton, {}, QPoint(180, 20));
        if (!reportFirst)
            m_monitor->click();
        QVERIFY(stillShownAfterTheDelay());
    }

    void clicksThatLeaveThePanelOpen() {
        m_controller->show();
        // Pinned when the click arrives, and pinned during the delay.
        QCursor::setPos(outside());
        m_controller->pinState().setValue(true);
        QVERIFY(!clickOutsideCloses());
        m_monitor->click(); // made while pinned: unpinning at once does not make it count
        m_controller->pinState().setValue(false);
        QVERIFY(stillShownAfterTheDelay());
        m_monitor->click();
        m_controller->pinState().setValue(true);
        QVERIFY(stillShownAfterTheDelay());

        // The pin survives closing and reopening, and still holds.
        m_controller->toggle();
        m_controller->toggle();
        QVERIFY(m_controller->pinState().value());
        QVERIFY(!clickOutsideCloses());
        m_controller->pinState().setValue(false);
        QVERIFY(clickOutsideCloses());
    }

    void aDragFromThePanelKeepsItOpen() {
        const QString file = m_env->makeFile(QStringLiteral("docs/drag.txt"));
        m_store->addURLs({QUrl::fromLocalFile(file)}, m_store->groups().first().id);
        m_controller->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_controller->window()));
        ItemGridView* grid = m_controller->view()->grid();
        QTRY_COMPARE(grid->items().size(), 1);
        bool draggingSeen = false;
        DragRunner::setRunner([&](QDrag&) {
            // The pointer leaves the panel and the button comes up over another application.
            draggingSeen = m_controller->view()->isDragActive();
            QCursor::setPos(outside());
            m_monitor->click();
            return Qt::IgnoreAction;
        });
        // A Ctrl-drag of the item, the one kind of drag that carries something.
        QWidget* surface = grid->viewport();
        const QPoint start = grid->cellRect(0).center().toPoint();
        QTest::keyPress(m_controller->view(), Qt::Key_Control);
        QTest::mousePress(surface, Qt::LeftButton, Qt::ControlModifier, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(30, 0)),
                         QPointF(surface->mapToGlobal(start + QPoint(30, 0))), Qt::NoButton, Qt::LeftButton,
                         Qt::ControlModifier);
        QApplication::sendEvent(surface, &move);
        QTest::keyRelease(m_controller->view(), Qt::Key_Control);
        QVERIFY(draggingSeen);
        QVERIFY(stillShownAfterTheDelay());
    }

    // A moved target is searched for in the background: the panel is gone at once unless
    // pinned, the item opens where the search found it, and the result is told.
    void openingAnItemClosesUnlessPinned_data() {
        QTest::addColumn<bool>("pinned");
        QTest::newRow("unpinned") << false;
        QTest::newRow("pinned") << true;
    }
    void openingAnItemClosesUnlessPinned() {
        QFETCH(bool, pinned);
        const QString file = m_env->makeFile(QStringLiteral("docs/Report 1.txt"));
        m_store->addURLs({QUrl::fromLocalFile(file)}, m_store->groups().first().id);
        const QString movedTo =
            m_env->makeFolder(QStringLiteral("docs/old")) + QStringLiteral("/Report 1.txt");
        QVERIFY(QFile::rename(file, movedTo));
        m_controller->pinState().setValue(pinned);
        m_controller->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_controller->window()));
        ItemGridView* grid = m_controller->view()->grid();
        QTRY_COMPARE(grid->items().size(), 1);
        QSignalSpy finished(m_controller.get(), &PanelController::itemOpenFinished);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(0).center().toPoint());
        QCOMPARE(m_controller->isShown(), pinned);
        QVERIFY(m_opened.isEmpty()); // opened from the event loop, after the panel is gone
        QTRY_COMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().first, QUrl::fromLocalFile(movedTo));
        QCOMPARE(m_opened.first().second, pinned);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(1).value<ItemOpener::Result>(), ItemOpener::Result::Opened);
    }

    void sizeFollowsThePreferences() {
        Preferences& preferences = *m_preferences;
        m_controller->show();
        const int centre = panel().center().x();

        // Height while shown: the panel grows upwards from the same place.
        preferences.setPanelHeight(300);
        QCOMPARE(panel().height(), 300);
        QCOMPARE(panel().y() + panel().height(), expectedBottom());
        // Columns while shown: wider, still centred at the pointer.
        preferences.setColumns(5);
        QCOMPARE(panel().width(), 440);
        QCOMPARE(panel().center().x(), centre + 0);
        preferences.setIconSize(64);
        QCOMPARE(panel().width(), 5 * 84 + 4 * 8 + 48);

        // Taller than the screen's usable area: cut to it, never hanging off the screen.
        preferences.setPanelHeight(screen().height() + 100);
        QCOMPARE(panel().height(), screen().height());
        QCOMPARE(panel().top(), screen().top());
        preferences.setPanelHeight(300);

        // Changed while closed: the next showing has the new size, so window and content agree.
        m_controller->close();
        preferences.setPanelHeight(500);
        preferences.setColumns(3);
        QVERIFY(!m_controller->isShown());
        m_controller->show();
        QCOMPARE(panel().size(), QSize(2 * 8 + 84 * 3 + 48, 500));
        QCOMPARE(panel().size(), m_controller->view()->size());

        // Values no settings window offers are replaced rather than drawn as an empty panel.
        m_controller->close();
        preferences.setColumns(0);
        preferences.setIconSize(0);
        preferences.setPanelHeight(-5);
        m_controller->show();
        QCOMPARE(panel().size(), QSize(360, 440));
    }

    void closingTheWindowClosesThePanel() {
        // The window manager's close button (or Alt+F4).
        m_controller->show();
        QVERIFY(m_controller->window()->close());
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
        m_controller->show(); // kept for the next showing
        QVERIFY(m_controller->isShown());
        // Quitting closes every top-level window first and gives up if one refuses.
        QVERIFY(m_controller->window()->windowHandle()->close());
        QVERIFY(!m_controller->isShown());
        QVERIFY(!m_monitor->isActive());
    }

    void theWindowIsAFramelessToolAboveOthers() {
        const Qt::WindowFlags flags = m_controller->window()->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestPanelController)
#include "tst_panelcontroller.moc"
