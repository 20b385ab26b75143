#include "DragRunner.h"
#include "IconCache.h"
#include "ItemCell.h"
#include "ItemGridView.h"
#include "Localization.h"
#include "PanelPainting.h"
#include "ReorderDropDelegate.h"
#include "TuckawayView.h"
#include "ViewTestSupport.h"
#include "views/PinState.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace ViewTest;
using namespace Qt::StringLiterals;

namespace {
QStringList strings(std::initializer_list<const char*> texts) {
    QStringList result;
    for (const char* text : texts)
        result << QString::fromUtf8(text);
    return result;
}
} // namespace

class TestItemGrid : public PanelTestCase {
    Q_OBJECT

    QList<QUuid> m_opened;

    ItemGridView* grid() const { return m_view->grid(); }
    QWidget* surface() const { return grid()->viewport(); }
    QPoint centreOf(int index) const { return grid()->cellRect(index).center().toPoint(); }
    QStringList shownNames() const { return itemNames(grid()->items()); }
    QStringList storedNames() const { return itemNames(m_store->groups().first().items); }
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
    void showABCD() { showView({groupOf(*m_env, QStringLiteral("G"), strings({"A", "B", "C", "D"}))}); }

    void holdKey(Qt::Key key) { QTest::keyPress(m_view.get(), key); }
    void releaseKey(Qt::Key key) { QTest::keyRelease(m_view.get(), key); }

    // Starts a Ctrl-drag of the cell at `index`; `during` sees the drag's data.
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

    void cleanup() { tearDownPanel(); }

    void cellsFollowTheColumnArithmetic() {
        showABCD();
        QCOMPARE(grid()->columns(), 4);
        QCOMPARE(grid()->columnWidth(), 72.0);
        const ItemCell::Metrics metrics = grid()->cellMetrics();
        QCOMPARE(metrics.iconRect().size(), QSizeF(52, 52));
        QCOMPARE(metrics.iconStackRect().width(), 60.0);
        QCOMPARE(metrics.nameRect().size(), QSizeF(64, 28));
        // Column pitch 72 + 8; the cells are centred in their columns.
        QCOMPARE(grid()->cellRect(1).left() - grid()->cellRect(0).left(), 80.0);
        QCOMPARE(grid()->cellRect(0).left() + grid()->cellRect(3).right(), double(grid()->width()));
        QCOMPARE(grid()->cellRect(0).top(), 16.0);
        QVERIFY(grid()->cellRect(0).left() >= 16.0);

        m_store->addURLs({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("E.txt")))},
                         m_store->groups().first().id);
        QCOMPARE(grid()->items().size(), 5);
        // The second row starts 12 below the first.
        QCOMPARE(grid()->cellRect(4).top() - grid()->cellRect(0).bottom(), 12.0);
        QCOMPARE(grid()->cellRect(4).left(), grid()->cellRect(0).left());
        QCOMPARE(grid()->contentSize().height(), qCeil(16 + 86 + 12 + 86 + 16.0));
    }

    void unusablePreferencesFallBack() {
        Preferences::instance().setColumns(0);
        Preferences::instance().setIconSize(-5);
        showABCD();
        QCOMPARE(grid()->columns(), 4);
        QCOMPARE(grid()->columnWidth(), 72.0);
        QCOMPARE(m_view->panelSize().width(), 360);
    }

    void hoverGrowsTheCellUnlessAltShowsTheBadge() {
        showABCD();
        hover(surface(), centreOf(1));
        QCOMPARE(grid()->hoveredItem(), grid()->items().at(1).id);
        QTRY_COMPARE(grid()->look(1).scale, ItemCell::kHoverScale);
        QCOMPARE(grid()->look(0).scale, 1.0);

        holdKey(Qt::Key_Alt);
        QTRY_COMPARE(grid()->look(1).badge, 1.0);
        QTRY_COMPARE(grid()->look(1).scale, 1.0);
        QCOMPARE(grid()->look(0).badge, 0.0);

        // The badge moves with the pointer to the next cell only.
        hover(surface(), centreOf(2));
        QTRY_COMPARE(grid()->look(1).badge, 0.0);
        QTRY_COMPARE(grid()->look(2).badge, 1.0);

        hover(surface(), gap());
        QVERIFY(!grid()->hoveredItem());
        QTRY_COMPARE(grid()->look(2).badge, 0.0);
        releaseKey(Qt::Key_Alt);
        hover(surface(), centreOf(2));
        QTRY_COMPARE(grid()->look(2).scale, ItemCell::kHoverScale);
        QCOMPARE(grid()->look(2).badge, 0.0);
    }

    void clicksOpenUnlessAltIsHeld() {
        showABCD();
        // The gaps around the icon and the name belong to the cell.
        const QRectF cell = grid()->cellRect(1);
        click(surface(), QPoint(int(cell.left()) + 1, int(cell.bottom()) - 1));
        QCOMPARE(m_opened, QList<QUuid>{grid()->items().at(1).id});

        holdKey(Qt::Key_Alt);
        click(surface(), centreOf(1), Qt::AltModifier);
        QCOMPARE(m_opened.size(), 1);
        // The menu's Open works with Alt held as well.
        QVERIFY(triggerContextMenu(surface(), centreOf(1), QStringLiteral("Open")));
        releaseKey(Qt::Key_Alt);
        QCOMPARE(m_opened.size(), 2);

        // A click on the padding opens nothing.
        click(surface(), gap());
        QCOMPARE(m_opened.size(), 2);
    }

    void badgeAndMenuRemoveTheItemAndItsIcon() {
        showABCD();
        const NookItem b = grid()->items().at(1);
        const NookItem c = grid()->items().at(2);
        QTRY_VERIFY(IconCache::shared().cached(b.id).has_value());
        QTRY_VERIFY(IconCache::shared().cached(c.id).has_value());

        hover(surface(), centreOf(1));
        holdKey(Qt::Key_Alt);
        QTRY_COMPARE(grid()->look(1).badge, 1.0);
        // The badge overhangs the cell's corner; its outer part counts too.
        const QRectF badge = grid()->badgeRect(1);
        QVERIFY(!grid()->cellRect(1).contains(badge.topRight() + QPointF(-2, 2)));
        click(surface(), (badge.topRight() + QPointF(-3, 3)).toPoint(), Qt::AltModifier);
        releaseKey(Qt::Key_Alt);
        QCOMPARE(storedNames(), strings({"A", "C", "D"}));
        QCOMPARE(shownNames(), strings({"A", "C", "D"}));
        QVERIFY(!IconCache::shared().cached(b.id));

        QVERIFY(triggerContextMenu(surface(), centreOf(1), QStringLiteral("Remove")));
        QCOMPARE(storedNames(), strings({"A", "D"}));
        QVERIFY(!IconCache::shared().cached(c.id));
        QVERIFY(m_opened.isEmpty());
    }

    void ctrlDragReordersLiveAndFadesTheMovedCell() {
        showABCD();
        QStringList afterFirstMove;
        double fadeAfterMove = 1.0;
        bool faded = false;
        bool droppedOnCell = false;
        ctrlDrag(0, [&](const QMimeData* mime) {
            QVERIFY(sendDragEnter(surface(), centreOf(0), mime)); // its own cell: nothing yet
            faded = grid()->hasChangedLocation();
            QVERIFY(sendDragMove(surface(), centreOf(2), mime)); // A over C
            afterFirstMove = storedNames();
            QTRY_COMPARE(grid()->look(2).opacity, ItemCell::kDraggingOpacity);
            fadeAfterMove = grid()->look(2).opacity;
            QVERIFY(sendDragMove(surface(), centreOf(2) + QPoint(2, 0), mime)); // now over itself
            droppedOnCell = sendDrop(surface(), centreOf(2), mime);
        });
        QVERIFY(!faded);
        QCOMPARE(afterFirstMove, strings({"B", "C", "A", "D"}));
        QCOMPARE(fadeAfterMove, ItemCell::kDraggingOpacity);
        QVERIFY(droppedOnCell);
        QCOMPARE(storedNames(), strings({"B", "C", "A", "D"}));
        QVERIFY(!grid()->activeItem());
        QVERIFY(!grid()->hasChangedLocation());
        QTRY_COMPARE(grid()->look(2).opacity, 1.0);

        // D over B: D lands before B.
        ctrlDrag(3, [&](const QMimeData* mime) {
            sendDragEnter(surface(), centreOf(3), mime);
            sendDragMove(surface(), centreOf(0), mime);
        });
        QCOMPARE(storedNames(), strings({"D", "B", "C", "A"}));
    }

    void reorderDragEndingAnywhereClearsTheDrag() {
        showABCD();
        // Dropped on the padding: handled.
        bool accepted = false;
        ctrlDrag(0, [&](const QMimeData* mime) {
            sendDragEnter(surface(), centreOf(0), mime);
            sendDragMove(surface(), centreOf(1), mime);
            sendDragMove(surface(), gap(), mime);
            accepted = sendDrop(surface(), gap(), mime);
        });
        QVERIFY(accepted);
        QCOMPARE(storedNames(), strings({"B", "A", "C", "D"}));
        QVERIFY(!grid()->activeItem());
        // The next drag shows its cell unfaded until it moves.
        bool fadedAtStart = true;
        ctrlDrag(0, [&](const QMimeData*) {
            QVERIFY(grid()->activeItem());
            fadedAtStart = grid()->hasChangedLocation();
        });
        QVERIFY(!fadedAtStart);

        // Left outside the panel: nothing receives a drop, yet the drag is over.
        ctrlDrag(0, [&](const QMimeData* mime) {
            sendDragEnter(surface(), centreOf(0), mime);
            sendDragMove(surface(), centreOf(2), mime);
            sendDragLeave(surface());
        });
        QCOMPARE(storedNames(), strings({"A", "C", "B", "D"}));
        QVERIFY(!grid()->activeItem());
        QVERIFY(!grid()->hasChangedLocation());
        const QStringList order = storedNames();

        // Plain text from elsewhere over a cell is refused and moves nothing.
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        QVERIFY(!sendDragEnter(surface(), centreOf(3), &text));
        QVERIFY(!sendDragMove(surface(), centreOf(1), &text));
        QVERIFY(!sendDrop(surface(), centreOf(1), &text));
        QCOMPARE(storedNames(), order);
    }

    // Without Ctrl an item goes out as its file; one whose file is gone cannot be dragged,
    // and the grid does not take its own item back as a new file.
    // The line is as wide as "Quarterly report". An expected line ending in "…" stands for
    // any shortened start of it.
    void namesWrapBetweenWords_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("breaks between words")
            << u"Quarterly report draft"_s << QStringList{u"Quarterly report"_s, u"draft"_s};
        QTest::newRow("blanks collapse") << u"  Quarterly \t report "_s << QStringList{u"Quarterly report"_s};
        QTest::newRow("long word elided") << u"Supercalifragilisticexpialidocious"_s
                                          << QStringList{u"Supercalifragilisticexpialidocious…"_s};
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
            QVERIFY2(metrics.horizontalAdvance(lines.at(i)) <= width, qPrintable(lines.at(i)));
            const bool elided = expected.at(i).endsWith(u'…');
            QCOMPARE(lines.at(i), elided
                                      ? metrics.elidedText(expected.at(i).chopped(1), Qt::ElideRight, width)
                                      : expected.at(i));
        }
    }

    void plainDragCarriesTheFile_data() {
        QTest::addColumn<bool>("targetPresent");
        QTest::newRow("present") << true;
        QTest::newRow("missing") << false;
    }
    void plainDragCarriesTheFile() {
        QFETCH(bool, targetPresent);
        showABCD();
        const QString path = m_env->home() + QStringLiteral("/G/A.txt");
        if (!targetPresent)
            QFile::remove(path);
        QList<QUrl> urls;
        QByteArray copied;
        bool takenBack = false;
        int runs = 0;
        DragRunner::setRunner([&](QDrag& drag) {
            ++runs;
            urls = drag.mimeData()->urls();
            copied = drag.mimeData()->data(QStringLiteral("x-special/gnome-copied-files"));
            takenBack = dropAt(surface(), centreOf(3) + QPoint(0, 200), drag.mimeData());
            return Qt::CopyAction;
        });
        pressAndPull(surface(), centreOf(0));
        const QUrl url = QUrl::fromLocalFile(path);
        QCOMPARE(urls, targetPresent ? QList<QUrl>{url} : QList<QUrl>{});
        QCOMPARE(copied, targetPresent ? "copy\n" + url.toEncoded() : QByteArray());
        QCOMPARE(runs, targetPresent ? 1 : 0);
        QVERIFY(!takenBack);
        QVERIFY(!grid()->activeItem());
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(storedNames(), strings({"A", "B", "C", "D"}));
    }

    void reorderArithmetic() {
        const QList<QString> items = strings({"A", "B", "C", "D"});
        std::optional<QString> active;
        bool changed = false;
        QList<std::pair<std::set<int>, int>> calls;
        const auto record = [&](const std::set<int>& offsets, int destination) {
            calls.append({offsets, destination});
        };

        active = QStringLiteral("A");
        ReorderDropDelegate<QString>(QStringLiteral("A"), items, active, changed, record).dropEntered();
        QVERIFY(calls.isEmpty());
        QVERIFY(!changed);
        ReorderDropDelegate<QString>(QStringLiteral("C"), items, active, changed, record).dropEntered();
        QCOMPARE(calls.takeFirst(), (std::pair<std::set<int>, int>({0}, 3)));
        QVERIFY(changed);

        active = QStringLiteral("D");
        ReorderDropDelegate<QString>(QStringLiteral("B"), items, active, changed, record).dropEntered();
        QCOMPARE(calls.takeFirst(), (std::pair<std::set<int>, int>({3}, 1)));

        // An item that is not in the list, or no drag at all: nothing.
        active = QStringLiteral("Z");
        ReorderDropDelegate<QString>(QStringLiteral("B"), items, active, changed, record).dropEntered();
        active.reset();
        ReorderDropDelegate<QString> idle(QStringLiteral("B"), items, active, changed, record);
        idle.dropEntered();
        QVERIFY(calls.isEmpty());
        QCOMPARE(idle.dropUpdated(), Qt::IgnoreAction);
        QVERIFY(!idle.performDrop());
    }

    void droppedFilesArriveOnceThroughTheQueue() {
        showABCD();
        QMimeData files;
        QList<QUrl> urls;
        for (const QString& name : strings({"one.pdf", "two.txt", "three.tar.gz"}))
            urls << QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("Drops/") + name));
        files.setUrls(urls);

        QSignalSpy changes(m_store.get(), &NookStore::groupsChanged);
        // Onto a cell as well as onto the padding: files always go to the grid.
        QVERIFY(sendDragEnter(surface(), centreOf(1), &files));
        QVERIFY(grid()->isDropTargeted());
        QVERIFY(sendDrop(surface(), centreOf(1), &files));
        QCOMPARE(changes.count(), 0);     // not yet: the store hears of it from the event queue
        QTRY_COMPARE(changes.count(), 1); // one hand-over, one change
        QCOMPARE(storedNames(), strings({"A", "B", "C", "D", "one", "two", "three.tar"}));
        QCOMPARE(shownNames(), storedNames());
    }

    void dropRulesForTextAndCtrl() {
        showABCD();
        QList<QList<QUrl>> calls;
        ItemGridView::Callbacks callbacks;
        callbacks.onAddURLs = [&](const QList<QUrl>& urls) { calls << urls; };
        grid()->setCallbacks(callbacks);

        // Text only: not handled, yet one call with an empty list.
        QMimeData text;
        text.setText(QStringLiteral("just words"));
        QVERIFY(sendDragEnter(surface(), gap(), &text));
        QVERIFY(!sendDrop(surface(), gap(), &text));
        QTRY_COMPARE(calls.size(), 1);
        QVERIFY(calls.first().isEmpty());

        // Links that are no local files add nothing either.
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.pdf"))});
        QVERIFY(!dropAt(surface(), gap(), &web));
        QTRY_COMPARE(calls.size(), 2);
        QVERIFY(calls.last().isEmpty());

        // Ctrl held: refused, and nobody is called.
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("x.txt")))});
        holdKey(Qt::Key_Control);
        QVERIFY(!dropAt(surface(), gap(), &files));
        releaseKey(Qt::Key_Control);
        // The drag's own modifiers count too (the keyboard belongs to the source).
        QVERIFY(!dropAt(surface(), gap(), &files, Qt::ControlModifier));
        QTest::qWait(20);
        QCOMPARE(calls.size(), 2);
    }

    void emptyGroupStillTakesDrops() {
        showView({NookGroup{QUuid::createUuid(), QStringLiteral("Empty"), {}}});
        QCOMPARE(grid()->items().size(), 0);
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("Report.pdf")))});
        QVERIFY(dropAt(surface(), QPoint(100, 100), &files));
        QTRY_COMPARE(storedNames(), strings({"Report"}));
    }

    void onlyCellsInViewAskForIcons() {
        NookGroup big{QUuid::createUuid(), QStringLiteral("Big"), {}};
        const NookItem file = itemFor(*m_env, QStringLiteral("Many/file.txt"));
        for (int i = 0; i < 5000; ++i)
            big.items << NookItem{QUuid::createUuid(), QStringLiteral("Item %1").arg(i), file.bookmarkData};
        const int before = IconCache::shared().loadsStarted();
        showView({big});
        int inView = 0;
        for (int index = 0; index < 100; ++index)
            inView += grid()->cellRect(index).intersects(QRectF(surface()->rect())) ? 1 : 0;
        QVERIFY(inView > 0 && inView < 60);
        QTRY_VERIFY(IconCache::shared().loadsStarted() - before >= 16);
        QTRY_VERIFY(IconCache::shared().cached(big.items.at(0).id).has_value());
        QCOMPARE(IconCache::shared().loadsStarted() - before, inView);
        QVERIFY(!IconCache::shared().cached(big.items.at(4999).id));

        // Scrolled to the end, the cells there load theirs.
        grid()->verticalScrollBar()->setValue(grid()->verticalScrollBar()->maximum());
        QTRY_VERIFY(IconCache::shared().cached(big.items.at(4999).id).has_value());
        QVERIFY(IconCache::shared().loadsStarted() - before < 2 * inView + 8);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestItemGrid)
#include "tst_itemgrid.moc"
