#include "ViewTestSupport.h"
#include "model/IconCache.h"
#include "views/DragRunner.h"
#include "views/GridGeometry.h"
#include "views/ItemCell.h"
#include "views/ItemGridView.h"
#include "views/ItemMime.h"
#include "views/ModifierTracker.h"
#include "views/PanelPainting.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayView.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace ViewTest;
using namespace Qt::StringLiterals;

class TestItemGrid : public PanelTestCase {
    Q_OBJECT

    QList<QUuid> m_opened;

    ItemGridView* grid() const { return m_view->grid(); }
    QWidget* surface() const { return grid()->viewport(); }
    QPoint centreOf(int index) const { return grid()->cellRect(index).center().toPoint(); }
    QString storedNames() const { return itemNames(m_store->groups().first().items).join(u' '); }
    // Between the first and the second column: on the grid, on no cell.
    QPoint gap() const {
        return QPoint(int(grid()->cellRect(0).right()) + 6, int(grid()->cellRect(0).center().y()));
    }

    void showView(const QList<NookGroup>& groups) {
        m_store->setGroups(groups);
        PanelCallbacks callbacks;
        callbacks.onOpen = [this](const NookItem& item) { m_opened << item.id; };
        m_view = makePanel(callbacks);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        parkPointer(m_view.get());
    }
    void showABCD() { showView({groupOf(*m_env, u"G"_s, {u"A"_s, u"B"_s, u"C"_s, u"D"_s})}); }

    void holdKey(Qt::Key key) { QTest::keyPress(m_view.get(), key); }
    void releaseKey(Qt::Key key) { QTest::keyRelease(m_view.get(), key); }

    // A Ctrl-drag of the cell at `index`; `during` runs while the drag does.
    void ctrlDrag(int index, const std::function<void(const QMimeData*)>& during) {
        DragRunner::setRunner([during](QDrag& drag) {
            during(drag.mimeData());
            return Qt::MoveAction;
        });
        holdKey(Qt::Key_Control);
        pressAndPull(surface(), centreOf(index), Qt::ControlModifier);
        releaseKey(Qt::Key_Control);
    }

private slots:
    void init() {
        setUpPanel();
        m_opened.clear();
    }

    void cleanup() {
        ModifierTracker::setQuery({});
        tearDownPanel();
    }

    // Four columns of 52-pixel icons in a 360-wide view: columns 72 wide, 8 apart, centred
    // (24 on each side); cells 64 x 86, 16 below the top, rows 12 apart.
    void hitTesting_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<QPointF>("probe");
        QTest::addColumn<int>("index");
        QTest::addColumn<QRectF>("rect");
        QTest::newRow("first cell") << 5 << 0 << QPointF(30, 20) << 0 << QRectF(28, 16, 64, 86);
        QTest::newRow("last column") << 5 << 0 << QPointF(330, 100) << 3 << QRectF(268, 16, 64, 86);
        QTest::newRow("last item, second row") << 5 << 0 << QPointF(60, 199) << 4 << QRectF(28, 114, 64, 86);
        QTest::newRow("empty slot after the last") << 5 << 0 << QPointF(140, 150) << -1 << QRectF();
        QTest::newRow("gap between columns") << 5 << 0 << QPointF(100, 50) << -1 << QRectF();
        QTest::newRow("gap between rows") << 8 << 0 << QPointF(60, 107) << -1 << QRectF();
        QTest::newRow("left padding") << 5 << 0 << QPointF(20, 50) << -1 << QRectF();
        QTest::newRow("right of the columns") << 5 << 0 << QPointF(340, 50) << -1 << QRectF();
        QTest::newRow("scrolled") << 9 << 100 << QPointF(30, 20) << 4 << QRectF(28, 14, 64, 86);
    }
    void hitTesting() {
        QFETCH(int, count);
        QFETCH(int, scroll);
        QFETCH(QPointF, probe);
        QFETCH(int, index);
        QFETCH(QRectF, rect);
        const GridGeometry geometry{4, 52, count, 360, 360, 300, scroll};
        QCOMPARE(geometry.indexAt(probe), index);
        if (index >= 0)
            QCOMPARE(geometry.cellRect(index), rect);
        QVERIFY(geometry.cellRect(count).isEmpty());
        QVERIFY(geometry.cellRect(-1).isEmpty());
    }

    // Rows are 98 apart; the view is 200 high.
    void scrolling_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("focus");
        QTest::addColumn<int>("scrollForFocus");
        QTest::newRow("none") << 0 << 0 << 0 << -1 << 0 << 0 << 0;
        QTest::newRow("top") << 20 << 0 << 0 << 11 << 310 << 8 << 114;
        QTest::newRow("middle") << 20 << 300 << 4 << 19 << 310 << 0 << 0;
        QTest::newRow("cell cut by the bottom") << 20 << 0 << 0 << 11 << 310 << 4 << 16;
        QTest::newRow("already in view") << 20 << 98 << 0 << 15 << 310 << 4 << 98;
        QTest::newRow("short last row") << 5 << 0 << 0 << 4 << 16 << 4 << 16;
    }
    void scrolling() {
        QFETCH(int, count);
        QFETCH(int, scroll);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, maximum);
        QFETCH(int, focus);
        QFETCH(int, scrollForFocus);
        const GridGeometry geometry{4, 52, count, 360, 360, 200, scroll};
        QCOMPARE(geometry.visibleRange(), std::make_pair(first, last));
        QCOMPARE(geometry.scrollMaximum(), maximum);
        QCOMPARE(geometry.scrollToShow(focus), scrollForFocus);
        QCOMPARE(geometry.pageRows(), 2);
    }

    void hoverGrowsTheCellUnlessAltShowsTheBadge() {
        showABCD();
        hover(surface(), centreOf(1));
        QTRY_COMPARE(grid()->look(1).scale, ItemCell::kHoverScale);
        QCOMPARE(grid()->look(0).scale, 1.0);
        holdKey(Qt::Key_Alt);
        QTRY_COMPARE(grid()->look(1).badge, 1.0);
        QTRY_COMPARE(grid()->look(1).scale, 1.0);
        // The badge moves with the pointer to the next cell only, and leaves with it.
        hover(surface(), centreOf(2));
        QTRY_COMPARE(grid()->look(2).badge, 1.0);
        QTRY_COMPARE(grid()->look(1).badge, 0.0);
        hover(surface(), gap());
        QVERIFY(!grid()->hoveredItem());
        QTRY_COMPARE(grid()->look(2).badge, 0.0);
        releaseKey(Qt::Key_Alt);
    }

    void clicksOpenUnlessAltIsHeld() {
        showABCD();
        // The gaps around the icon and the name belong to the cell; the padding to none.
        const QRectF cell = grid()->cellRect(1);
        click(surface(), QPoint(int(cell.left()) + 1, int(cell.bottom()) - 1));
        click(surface(), gap());
        QCOMPARE(m_opened, QList<QUuid>{grid()->items().at(1).id});
        holdKey(Qt::Key_Alt);
        click(surface(), centreOf(1), Qt::AltModifier);
        QCOMPARE(m_opened.size(), 1);
        // The menu's Open works with Alt held as well.
        QVERIFY(triggerContextMenu(surface(), centreOf(1), u"Open"_s));
        releaseKey(Qt::Key_Alt);
        QCOMPARE(m_opened.size(), 2);
    }

    void badgeAndMenuRemoveTheItemAndItsIcon() {
        showABCD();
        const QUuid b = grid()->items().at(1).id;
        const QUuid d = grid()->items().at(3).id;
        QTRY_VERIFY(m_icons->cached(b) && m_icons->cached(d));
        hover(surface(), centreOf(1));
        holdKey(Qt::Key_Alt);
        QTRY_COMPARE(grid()->look(1).badge, 1.0);
        // The badge overhangs the cell's corner; its outer part counts too.
        const QRectF badge = grid()->gridGeometry().badgeRect(1);
        QVERIFY(!grid()->cellRect(1).contains(badge.topRight() + QPointF(-3, 3)));
        click(surface(), (badge.topRight() + QPointF(-3, 3)).toPoint(), Qt::AltModifier);
        releaseKey(Qt::Key_Alt);
        QCOMPARE(storedNames(), u"A C D"_s);
        QVERIFY(!m_icons->cached(b));
        // The last cell from the menu.
        QVERIFY(triggerContextMenu(surface(), centreOf(2), u"Remove"_s));
        QCOMPARE(storedNames(), u"A C"_s);
        QVERIFY(!m_icons->cached(d));
        QVERIFY(m_opened.isEmpty());
    }

    // A Ctrl-drag of `from` passes over its own cell, then over `over`, and ends as `end`
    // says; the order changes while the drag goes on and the dragged cell is faded meanwhile.
    void ctrlDragReordersLive_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("over");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("expected");
        QTest::newRow("forward, dropped on it") << 0 << 2 << u"cell"_s << u"B C A D"_s;
        QTest::newRow("backward") << 3 << 1 << u"cell"_s << u"A D B C"_s;
        QTest::newRow("first to last") << 0 << 3 << u"cell"_s << u"B C D A"_s;
        QTest::newRow("last to first") << 3 << 0 << u"cell"_s << u"D A B C"_s;
        QTest::newRow("dropped beside the cells") << 0 << 1 << u"gap"_s << u"B A C D"_s;
        QTest::newRow("left the panel") << 1 << 2 << u"leave"_s << u"A C B D"_s;
    }
    void ctrlDragReordersLive() {
        QFETCH(int, from);
        QFETCH(int, over);
        QFETCH(QString, end);
        QFETCH(QString, expected);
        showABCD();
        bool movedOverItself = true;
        bool dropTaken = false;
        ctrlDrag(from, [&](const QMimeData* mime) {
            QVERIFY(sendDragEnter(surface(), centreOf(from), mime));
            movedOverItself = grid()->draggedItemMoved();
            QVERIFY(sendDragMove(surface(), centreOf(over), mime));
            QCOMPARE(storedNames(), expected);
            QTRY_COMPARE(grid()->look(over).opacity, ItemCell::kDraggingOpacity);
            if (end == u"leave")
                sendDragLeave(surface());
            else
                dropTaken = sendDrop(surface(), end == u"gap" ? gap() : centreOf(over), mime);
        });
        QVERIFY(!movedOverItself);
        QCOMPARE(dropTaken, end != u"leave");
        QCOMPARE(storedNames(), expected);
        // However it ended, the drag is over and no cell stays faded.
        QVERIFY(!grid()->draggedItem());
        QVERIFY(!grid()->draggedItemMoved());
        QTRY_COMPARE(grid()->look(over).opacity, 1.0);
    }

    // What the grid takes from a drag that did not start as its own reorder drag.
    void drops_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("ctrl");
        QTest::addColumn<bool>("onCell");
        QTest::addColumn<QString>("added");
        QTest::newRow("files on a cell") << u"files"_s << QString() << true << u"one two three.tar"_s;
        QTest::newRow("files beside the cells") << u"files"_s << QString() << false << u"one two three.tar"_s;
        QTest::newRow("files with Ctrl held") << u"files"_s << u"key"_s << false << QString();
        QTest::newRow("files, Ctrl in the drag") << u"files"_s << u"drag"_s << false << QString();
        QTest::newRow("web links") << u"web"_s << QString() << false << QString();
        QTest::newRow("text") << u"text"_s << QString() << false << QString();
        QTest::newRow("text on a cell") << u"text"_s << QString() << true << QString();
        QTest::newRow("an item on its way out") << u"outgoing"_s << QString() << false << QString();
    }
    void drops() {
        QFETCH(QString, content);
        QFETCH(QString, ctrl);
        QFETCH(bool, onCell);
        QFETCH(QString, added);
        showABCD();
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& name : {u"one.pdf"_s, u"two.txt"_s, u"three.tar.gz"_s})
            urls << QUrl::fromLocalFile(m_env->makeFile(u"Drops/"_s + name));
        if (content == u"files" || content == u"outgoing")
            mime.setUrls(urls);
        if (content == u"outgoing")
            mime.setData(ItemMime::kOutgoing, "x");
        if (content == u"web")
            mime.setUrls({QUrl(u"https://example.org/a.pdf"_s)});
        if (content == u"text")
            mime.setText(u"just words"_s);
        if (ctrl == u"key")
            holdKey(Qt::Key_Control);
        QSignalSpy changes(m_store.get(), &NookStore::groupsChanged);
        const Qt::KeyboardModifiers modifiers = ctrl == u"drag" ? Qt::ControlModifier : Qt::NoModifier;
        const bool taken = dropAt(surface(), onCell ? centreOf(1) : gap(), &mime, modifiers);
        if (ctrl == u"key")
            releaseKey(Qt::Key_Control);
        QCOMPARE(taken, !added.isEmpty());
        QCOMPARE(changes.count(), 0); // the store hears of it from the event queue
        if (!added.isEmpty()) {
            QTRY_COMPARE(storedNames(), u"A B C D "_s + added);
            QCOMPARE(changes.count(), 1); // one hand-over, one change
        }
        QCOMPARE(itemNames(grid()->items()).join(u' '), storedNames());
    }

    void emptyGroupStillTakesDrops() {
        showView({NookGroup{QUuid::createUuid(), u"Empty"_s, {}}});
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_env->makeFile(u"Report.pdf"_s))});
        QVERIFY(dropAt(surface(), QPoint(100, 100), &files));
        QTRY_COMPARE(storedNames(), u"Report"_s);
    }

    // Without Ctrl an item goes out as its file; one whose file is gone cannot be dragged,
    // and the grid does not take its own item back as a new file.
    void plainDragCarriesTheFile_data() {
        QTest::addColumn<bool>("targetPresent");
        QTest::newRow("present") << true;
        QTest::newRow("missing") << false;
    }
    void plainDragCarriesTheFile() {
        QFETCH(bool, targetPresent);
        showABCD();
        const QString path = m_env->home() + u"/G/A.txt"_s;
        if (!targetPresent)
            QFile::remove(path);
        QList<QUrl> urls;
        QByteArray copied;
        bool takenBack = true;
        DragRunner::setRunner([&](QDrag& drag) {
            urls = drag.mimeData()->urls();
            copied = drag.mimeData()->data(u"x-special/gnome-copied-files"_s);
            takenBack = dropAt(surface(), centreOf(3) + QPoint(0, 200), drag.mimeData());
            return Qt::CopyAction;
        });
        pressAndPull(surface(), centreOf(0));
        const QUrl url = QUrl::fromLocalFile(path);
        QCOMPARE(urls, targetPresent ? QList<QUrl>{url} : QList<QUrl>{});
        QCOMPARE(copied, targetPresent ? "copy\n" + url.toEncoded() : QByteArray());
        QCOMPARE(takenBack, !targetPresent); // not taken, or no drag at all
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(storedNames(), u"A B C D"_s);
    }

    // Key events do not arrive while a drag runs (the drag's filter takes them), so a key
    // let go meanwhile is read from the keyboard once the drag is over; likewise when
    // the application loses the keyboard.
    void modifiersAreReadAgain_data() {
        QTest::addColumn<QString>("moment");
        QTest::newRow("after a reorder drag") << u"reorder"_s;
        QTest::newRow("after a drag out") << u"out"_s;
        QTest::newRow("after a tab drag") << u"tab"_s;
        QTest::newRow("application deactivated") << u"deactivate"_s;
    }
    void modifiersAreReadAgain() {
        QFETCH(QString, moment);
        showView({groupOf(*m_env, u"G"_s, {u"A"_s, u"B"_s}), groupOf(*m_env, u"H"_s, {})});
        // Ctrl would make the plain drag a reorder drag.
        const bool ctrl = moment != u"out";
        Qt::KeyboardModifiers keyboard = ctrl ? Qt::ControlModifier | Qt::AltModifier : Qt::AltModifier;
        ModifierTracker::setQuery([&keyboard] { return keyboard; });
        if (ctrl)
            holdKey(Qt::Key_Control);
        QTest::keyPress(m_view.get(), Qt::Key_Alt, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QVERIFY(grid()->altPressed() && grid()->ctrlPressed() == ctrl);
        // Both keys are let go where no key event reaches the panel.
        DragRunner::setRunner([&keyboard](QDrag&) {
            keyboard = Qt::NoModifier;
            return Qt::IgnoreAction;
        });
        if (moment == u"reorder" || moment == u"out") {
            pressAndPull(surface(), centreOf(0), moment == u"reorder" ? Qt::ControlModifier : Qt::NoModifier);
        } else if (moment == u"tab") {
            TuckawayTabButton* tab = m_view->tabBar()->tabs().at(1);
            pressAndPull(tab, tab->rect().center(), Qt::ControlModifier);
        } else {
            keyboard = Qt::NoModifier;
            QEvent deactivate(QEvent::ApplicationDeactivate);
            QCoreApplication::sendEvent(qApp, &deactivate);
        }
        QVERIFY(keyboard == Qt::NoModifier);
        QVERIFY(!m_view->tabBar()->ctrlPressed());
        QVERIFY(!grid()->ctrlPressed());
        QVERIFY(!grid()->altPressed());
    }

    // The line is as wide as "Quarterly report". An expected line ending in "…" stands for
    // any shortened start of it.
    void namesWrapBetweenWords_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("breaks between words")
            << u"Quarterly report draft"_s << QStringList{u"Quarterly report"_s, u"draft"_s};
        QTest::newRow("blanks collapse") << u"  Quarterly \t report "_s << QStringList{u"Quarterly report"_s};
        QTest::newRow("long word, then more")
            << u"Supercalifragilisticexpialidocious list"_s
            << QStringList{u"Supercalifragilisticexpialidocious…"_s, u"list"_s};
        QTest::newRow("third line elided")
            << u"Quarterly report draft for the board of directors"_s
            << QStringList{u"Quarterly report"_s, u"draft for the board of directors…"_s};
    }
    void namesWrapBetweenWords() {
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        const QFont font = PanelPainting::systemFont(ItemCell::kNameFontSize);
        const QFontMetricsF metrics(font);
        const double width = metrics.horizontalAdvance(u"Quarterly report"_s) + 1;
        const QStringList lines = ItemCell::nameLines(name, font, width);
        QCOMPARE(lines.size(), expected.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const bool elided = expected.at(i).endsWith(u'…');
            QCOMPARE(lines.at(i), elided
                                      ? metrics.elidedText(expected.at(i).chopped(1), Qt::ElideRight, width)
                                      : expected.at(i));
        }
    }

    // New items keep the keyboard on its item, or else on the cell that took its place.
    void focusStaysOnItsItem() {
        IconCache icons;
        ItemGridView view(icons);
        const QList<NookItem> abcd = groupOf(*m_env, u"G"_s, {u"A"_s, u"B"_s, u"C"_s, u"D"_s}).items;
        view.setItems(abcd);
        QTest::keyClick(&view, Qt::Key_End);
        QTest::keyClick(&view, Qt::Key_Left); // on C
        view.setItems({abcd.at(0), abcd.at(2), abcd.at(3)});
        QCOMPARE(view.focusIndex(), 1);
        view.setItems({abcd.at(0), abcd.at(3)});
        QCOMPARE(view.focusIndex(), 1);
        view.setItems({abcd.at(0)});
        QCOMPARE(view.focusIndex(), 0);
    }

    // A grid of its own with an icon cache of its own: only the cells in view ask for
    // icons, four rows of four at the top and as many at the end.
    void onlyCellsInViewAskForIcons() {
        IconCache icons;
        ItemGridView view(icons);
        view.setShape(4, 52);
        view.resize(360, 350);
        const NookItem file = itemFor(*m_env, u"Many/file.txt"_s);
        QList<NookItem> items;
        for (int i = 0; i < 5000; ++i)
            items << NookItem{QUuid::createUuid(), u"Item %1"_s.arg(i), file.bookmarkData};
        view.setItems(items);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(icons.count(), 16);
        QVERIFY(icons.cached(items.at(15).id) && !icons.cached(items.at(16).id));
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QTRY_COMPARE(icons.count(), 32);
        QVERIFY(icons.cached(items.last().id) && !icons.cached(items.at(4983).id));
        QCOMPARE(icons.loadsStarted(), 32);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestItemGrid)
#include "tst_itemgrid.moc"
