#include "ViewTestSupport.h"
#include "views/GridGeometry.h"
#include "views/ItemCell.h"
#include "views/NoticeBar.h"
#include "views/PanelPainting.h"

#include <QClipboard>
#include <QScrollBar>

using namespace ViewTest;

struct HitCase {
    int count, scroll;
    QPointF probe;
    int index;
    QRectF rect;
};
struct ScrollCase {
    int count, scroll;
    std::pair<int, int> visible;
    int maximum, focus, scrollForFocus;
};
// A drag of the cell or tab `from` over its own place, then over `over`, ending as `end` says.
struct ReorderCase {
    bool tabs, ctrl;
    int from, over;
    QString end, expected;
};
struct DropCase {
    QString content, ctrl, where, stored;
};

class TestItemGrid : public ViewTest::PanelTestCase {
    Q_OBJECT

    QWidget* surface() const { return grid()->viewport(); }
    QPoint centreOf(int index) const { return grid()->cellRect(index).center().toPoint(); }
    QString storedNames() const { return names(m_store->groups().first().items); }
    // Between the first and the second column: on the grid, on no cell.
    QPoint gap() const {
        return QPoint(int(grid()->cellRect(0).right()) + 6, int(grid()->cellRect(0).center().y()));
    }
    // Nook A holds items A, B, C and D; nooks B, C and D follow. An entry is a cell or a tab.
    bool m_tabs = false;
    void showEntries() {
        showPanel({nook(u"A"_s, {u"A"_s, u"B"_s, u"C"_s, u"D"_s}), nook(u"B"_s), nook(u"C"_s), nook(u"D"_s)});
    }
    QWidget* entry(int index) const { return m_tabs ? bar()->tabs().at(index) : surface(); }
    QPoint entryCentre(int index) const { return m_tabs ? entry(index)->rect().center() : centreOf(index); }
    QString order() const { return m_tabs ? names(m_store->groups()) : storedNames(); }
    // Which of the first three entries show their badge: "-X-".
    QString badges() const {
        QString shown;
        for (int i = 0; i < 3; ++i) {
            const double badge = m_tabs ? double(bar()->tabs().at(i)->isBadgeShown()) : grid()->look(i).badge;
            shown += badge == 1.0 ? u'X' : badge == 0.0 ? u'-' : u'~';
        }
        return shown;
    }

private slots:
    // Four columns 72 wide, 8 apart, centred in 360; cells 64 x 86, 16 below the top, 12 apart.
    void hitTesting_data() {
        QTest::addColumn<HitCase>("c");
        QTest::newRow("first cell") << HitCase{5, 0, {30, 20}, 0, {28, 16, 64, 86}};
        QTest::newRow("last column") << HitCase{5, 0, {330, 100}, 3, {268, 16, 64, 86}};
        QTest::newRow("last item, second row") << HitCase{5, 0, {60, 199}, 4, {28, 114, 64, 86}};
        QTest::newRow("empty slot after the last") << HitCase{5, 0, {140, 150}, -1, {}};
        QTest::newRow("gap between columns") << HitCase{5, 0, {100, 50}, -1, {}};
        QTest::newRow("gap between rows") << HitCase{8, 0, {60, 107}, -1, {}};
        QTest::newRow("scrolled") << HitCase{9, 100, {30, 20}, 4, {28, 14, 64, 86}};
    }
    void hitTesting() {
        QFETCH(HitCase, c);
        const GridGeometry geometry{4, 52, c.count, 360, 360, 300, c.scroll};
        QCOMPARE(geometry.indexAt(c.probe), c.index);
        QCOMPARE(geometry.cellRect(c.index), c.rect);
        QVERIFY(geometry.cellRect(c.count).isEmpty());
    }

    // Rows are 98 apart; the view is 200 high, two whole rows.
    void scrolling_data() {
        QTest::addColumn<ScrollCase>("c");
        QTest::newRow("none") << ScrollCase{0, 0, {0, -1}, 0, 0, 0};
        QTest::newRow("top") << ScrollCase{20, 0, {0, 11}, 310, 8, 114};
        QTest::newRow("middle") << ScrollCase{20, 300, {4, 19}, 310, 0, 0};
        QTest::newRow("cell cut by the bottom") << ScrollCase{20, 0, {0, 11}, 310, 4, 16};
        QTest::newRow("already in view") << ScrollCase{20, 98, {0, 15}, 310, 4, 98};
        QTest::newRow("short last row") << ScrollCase{5, 0, {0, 4}, 16, 4, 16};
    }
    void scrolling() {
        QFETCH(ScrollCase, c);
        const GridGeometry geometry{4, 52, c.count, 360, 360, 200, c.scroll};
        QCOMPARE(geometry.visibleRange(), c.visible);
        QCOMPARE(geometry.scrollMaximum(), c.maximum);
        QCOMPARE(geometry.scrollToShow(c.focus), c.scrollForFocus);
    }

    // Alt turns the hovered cell or tab into a remove badge that follows pointer and key and
    // removes; a hovered cell grows, but not while it shows its badge, and a tab grows by it.
    void altShowsARemoveBadge_data() {
        QTest::addColumn<bool>("tabs");
        QTest::newRow("cells") << false;
        QTest::newRow("tabs") << true;
    }
    void altShowsARemoveBadge() {
        QFETCH(bool, tabs);
        m_tabs = tabs;
        showEntries();
        const QUuid b = grid()->items().at(1).id;
        QTRY_VERIFY(m_icons->cached(b));
        hover(entry(1), entryCentre(1));
        QTRY_COMPARE(grid()->look(1).scale, tabs ? 1.0 : ItemCell::kHoverScale);
        TuckawayTabButton* tab = bar()->tabs().at(1);
        const int nameRoom = tab->textRect().width();
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QTRY_COMPARE(badges(), u"-X-"_s);
        // The tab makes room for its badge: the name keeps its width, clear of the badge.
        QTRY_COMPARE(tab->width(), tab->sizeHint().width());
        QVERIFY(!tabs || !tab->textRect().intersects(tab->badgeRect()));
        QVERIFY(!tabs || tab->textRect().width() == nameRoom);
        QTRY_COMPARE(grid()->look(1).scale, 1.0);
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        QTRY_COMPARE(badges(), u"---"_s);
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        hover(entry(2), entryCentre(2));
        QTRY_COMPARE(badges(), u"--X"_s);
        click(entry(1), entryCentre(1), Qt::AltModifier); // opens nothing
        // The cell's badge overhangs its corner; its outer part counts too.
        const QPointF onBadge = tabs ? tab->badgeRect().center()
                                     : grid()->gridGeometry().badgeRect(1).topRight() + QPointF(-3, 3);
        QVERIFY(tabs || !grid()->cellRect(1).contains(onBadge));
        QTRY_COMPARE(tab->width(), tab->sizeHint().width());
        click(entry(1), onBadge.toPoint(), Qt::AltModifier);
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        QCOMPARE(order(), u"A C D"_s);
        if (!tabs)
            QVERIFY(!m_icons->cached(b)); // a removed item's icon goes too
        QVERIFY(m_opened.isEmpty());
    }

    // The order changes during the drag, the dragged cell faded; tabs move only with Ctrl.
    void ctrlDragReordersLive_data() {
        QTest::addColumn<ReorderCase>("c");
        QTest::newRow("cells, forward") << ReorderCase{false, true, 0, 2, u"drop"_s, u"B C A D"_s};
        QTest::newRow("cells, backward") << ReorderCase{false, true, 3, 1, u"drop"_s, u"A D B C"_s};
        QTest::newRow("cells, dropped beside") << ReorderCase{false, true, 0, 1, u"gap"_s, u"B A C D"_s};
        QTest::newRow("cells, left the panel") << ReorderCase{false, true, 1, 2, u"leave"_s, u"A C B D"_s};
        QTest::newRow("tabs, forward") << ReorderCase{true, true, 0, 2, u"drop"_s, u"B C A D"_s};
        QTest::newRow("tabs, backward") << ReorderCase{true, true, 3, 1, u"drop"_s, u"A D B C"_s};
        QTest::newRow("tabs, left the panel") << ReorderCase{true, true, 1, 2, u"leave"_s, u"A C B D"_s};
        QTest::newRow("tabs without Ctrl") << ReorderCase{true, false, 0, 2, u"drop"_s, u"A B C D"_s};
    }
    void ctrlDragReordersLive() {
        QFETCH(ReorderCase, c);
        m_tabs = c.tabs;
        showEntries();
        const QString selected = selectedName();
        QStringList seen; // the order over its own place, then over the other entry
        bool movedOverItself = false;
        bool dropTaken = false;
        const auto during = [&](const QMimeData* mime) {
            for (int index : {c.from, c.over}) {
                QVERIFY(dragTo(entry(index), entryCentre(index), mime));
                seen << order();
                movedOverItself = movedOverItself || (index == c.from && grid()->draggedItemMoved());
            }
            if (!c.tabs)
                QTRY_COMPARE(grid()->look(c.over).opacity, ItemCell::kDraggingOpacity);
            QDragLeaveEvent leave;
            if (c.end == u"leave")
                QApplication::sendEvent(entry(c.over), &leave);
            else
                dropTaken = dropAt(entry(c.over), c.end == u"gap" ? gap() : entryCentre(c.over), mime);
        };
        DragRunner::setRunner([&](QDrag& drag, Qt::DropActions) {
            during(drag.mimeData());
            return Qt::MoveAction;
        });
        if (c.ctrl)
            QTest::keyPress(m_view.get(), Qt::Key_Control);
        pressAndPull(entry(c.from), entryCentre(c.from), c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(seen, c.ctrl ? QStringList({u"A B C D"_s, c.expected}) : QStringList());
        QVERIFY(!movedOverItself);
        QCOMPARE(dropTaken, c.ctrl && c.end != u"leave");
        QCOMPARE(order(), c.expected);
        QCOMPARE(selectedName(), selected); // a press that became a drag is no click
        QVERIFY(!grid()->draggedItem() && !bar()->activeID());
        QTRY_COMPARE(grid()->look(c.over).opacity, 1.0);
    }

    // Local files and web pages are taken wherever they land, also in an empty nook, and handed over after
    // the drop; a page is named by the title a browser's drop carries; other addresses are refused in words.
    void drops_data() {
        QTest::addColumn<DropCase>("c");
        const QString added = u"A B C D one two three.tar"_s;
        QTest::newRow("files on a cell") << DropCase{u"files"_s, {}, u"cell"_s, added};
        QTest::newRow("files beside the cells") << DropCase{u"files"_s, {}, u"gap"_s, added};
        QTest::newRow("files, empty nook") << DropCase{u"files"_s, {}, u"empty"_s, u"one two three.tar"_s};
        QTest::newRow("files with Ctrl held") << DropCase{u"files"_s, u"key"_s, u"gap"_s, {}};
        QTest::newRow("files, Ctrl in the drag") << DropCase{u"files"_s, u"drag"_s, u"gap"_s, {}};
        QTest::newRow("web links") << DropCase{u"web"_s, {}, u"gap"_s, u"A B C D example.org/a.pdf"_s};
        QTest::newRow("a titled link, moz") << DropCase{u"moz"_s, {}, u"gap"_s, u"A B C D Paper (PDF)"_s};
        QTest::newRow("a titled link, netscape")
            << DropCase{u"netscape"_s, {}, u"gap"_s, u"A B C D Paper (PDF)"_s};
        QTest::newRow("a web link, then files")
            << DropCase{u"web, files"_s, {}, u"gap"_s, u"A B C D example.org/a.pdf one two three.tar"_s};
        QTest::newRow("other schemes") << DropCase{u"ftp"_s, {}, u"gap"_s, u"refused"_s};
        QTest::newRow("text on a cell") << DropCase{u"text"_s, {}, u"cell"_s, {}};
    }
    void drops() {
        QFETCH(DropCase, c);
        if (c.where == u"empty")
            showPanel({nook(u"G"_s)});
        else
            showEntries();
        const QString before = storedNames();
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& name : {u"one.pdf"_s, u"two.txt"_s, u"three.tar.gz"_s})
            urls << QUrl::fromLocalFile(m_env->makeFile(u"Drops/"_s + name));
        const QUrl web(u"https://example.org/a.pdf"_s);
        if (c.content == u"web, files")
            urls.prepend(web);
        const QUrl ftp(u"ftp://example.org/f"_s);
        if (c.content == u"text")
            mime.setText(u"just words"_s);
        else
            mime.setUrls(c.content == u"ftp"                                   ? QList{ftp}
                         : c.content == u"web, files" || c.content == u"files" ? urls
                                                                               : QList{web});
        const QByteArray pair = web.toEncoded() + "\nPaper (PDF)";
        if (c.content == u"netscape")
            mime.setData(u"_NETSCAPE_URL"_s, pair);
        if (c.content == u"moz") // UTF-16 as browsers write it
            mime.setData(
                u"text/x-moz-url"_s,
                QByteArray(reinterpret_cast<const char*>(QString::fromUtf8(pair).utf16()), pair.size() * 2));
        if (c.ctrl == u"key")
            QTest::keyPress(m_view.get(), Qt::Key_Control);
        QSignalSpy changes(m_store.get(), &NookStore::groupsChanged);
        const Qt::KeyboardModifiers modifiers = c.ctrl == u"drag" ? Qt::ControlModifier : Qt::NoModifier;
        const QPoint at = c.where == u"cell" ? centreOf(1) : gap();
        const bool offered = dragTo(surface(), at, &mime, modifiers);
        const bool taken = dropAt(surface(), at, &mime, modifiers);
        if (c.ctrl == u"key")
            QTest::keyRelease(m_view.get(), Qt::Key_Control);
        QCOMPARE(offered, taken); // the pointer never promises a drop that is then refused
        QCOMPARE(taken, !c.stored.isEmpty());
        QCOMPARE(changes.count(), 0); // the store hears of it from the event queue
        const bool refused = c.stored == u"refused";
        if (taken && !refused)
            QTRY_COMPARE(storedNames(), c.stored);
        if (refused)
            QTRY_COMPARE(m_view->noticeBar()->text(),
                         u"Only files and web pages (http, https) can be added: ftp://example.org/f"_s);
        QCOMPARE(shownItems(), taken && !refused ? c.stored : before);
    }

    // With B and D selected, the menu of a selected item acts on both, that of another on it alone; an
    // entry "Move to/C" lies in a submenu. What opened, what was copied, the nooks, the notice, the
    // selection.
    void menuActsOnTheSelection_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("expected");
        QTest::newRow("open") << u"Open"_s << 3 << u"opened B D | A B C D | B D"_s;
        QTest::newRow("open another") << u"Open"_s << 0 << u"opened A | A B C D"_s;
        QTest::newRow("copy paths") << u"Copy Paths"_s << 1 << u"A/B.txt A/D.txt | A B C D | B D"_s;
        QTest::newRow("move to") << u"Move to/C"_s << 1 << u"A C | C: B D | Moved 2 items to “C”"_s;
        QTest::newRow("move another") << u"Move to/B"_s << 0 << u"B C D | B: A | Moved “A” to “B”"_s;
        QTest::newRow("remove") << u"Remove"_s << 3 << u"A C | Removed 2 items"_s;
        QTest::newRow("remove another") << u"Remove"_s << 2 << u"A B D | Removed “C”"_s;
    }
    void menuActsOnTheSelection() {
        QFETCH(QString, entry);
        QFETCH(int, at);
        showEntries();
        QGuiApplication::clipboard()->clear();
        click(surface(), centreOf(1), Qt::ControlModifier);
        click(surface(), centreOf(3), Qt::ControlModifier);
        QContextMenuEvent event(QContextMenuEvent::Mouse, centreOf(at), surface()->mapToGlobal(centreOf(at)));
        QApplication::sendEvent(surface(), &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* chosen = nullptr;
        for (const QString& part : entry.split(u'/')) {
            for (QAction* action : menu->actions())
                chosen = action->text() == part ? action : chosen;
            QVERIFY2(chosen, qPrintable(part));
            menu = chosen->menu() ? chosen->menu() : menu;
        }
        chosen->trigger();
        QApplication::activePopupWidget()->close();
        QStringList copied = QGuiApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        for (QString& path : copied)
            path = path.section(u'/', -2);
        QStringList state{m_opened.isEmpty() ? QString() : u"opened "_s + m_opened.join(u' '),
                          copied.join(u' '), storedNames()};
        for (const NookGroup& other : m_store->groups().mid(1))
            state << (other.items.isEmpty() ? QString() : other.name + u": "_s + names(other.items));
        state << (m_view->noticeBar()->isPosted() ? m_view->noticeBar()->text() : QString())
              << names(grid()->selectedItems());
        state.removeAll(QString());
        QTEST(state.join(u" | "_s), "expected");
    }

    // Without Ctrl an item goes out as its file, if there is one, and is not taken back.
    void plainDragCarriesTheFile_data() {
        QTest::addColumn<bool>("targetPresent");
        QTest::newRow("present") << true;
        QTest::newRow("missing") << false;
    }
    void plainDragCarriesTheFile() {
        QFETCH(bool, targetPresent);
        showEntries();
        const QUrl url = QUrl::fromLocalFile(m_env->home() + u"/A/A.txt"_s);
        if (!targetPresent)
            QFile::remove(url.toLocalFile());
        QList<QUrl> urls;
        QByteArray copied;
        bool takenBack = true;
        Qt::DropActions offered;
        DragRunner::setRunner([&](QDrag& drag, Qt::DropActions actions) {
            offered = actions;
            urls = drag.mimeData()->urls();
            copied = drag.mimeData()->data(u"x-special/gnome-copied-files"_s);
            takenBack =
                dragTo(surface(), gap(), drag.mimeData()) || dropAt(surface(), gap(), drag.mimeData());
            return Qt::CopyAction;
        });
        pressAndPull(surface(), centreOf(0));
        QTest::mouseRelease(surface(), Qt::LeftButton, {}, centreOf(0)); // a drag is no click
        QVERIFY(!offered.testFlag(Qt::MoveAction));                      // the user's file stays where it is
        QCOMPARE(urls, targetPresent ? QList<QUrl>{url} : QList<QUrl>{});
        QCOMPARE(copied, targetPresent ? "copy\n" + url.toEncoded() : QByteArray());
        QCOMPARE(takenBack, !targetPresent); // not offered nor taken, or no drag at all
        QVERIFY(m_opened.isEmpty());
    }

    // No key event arrives during a drag or once the application lost the keyboard: a key let
    // go meanwhile is read from the keyboard afterwards.
    void modifiersAreReadAgain_data() {
        QTest::addColumn<bool>("drag");
        QTest::newRow("after a drag") << true;
        QTest::newRow("application deactivated") << false;
    }
    void modifiersAreReadAgain() {
        QFETCH(bool, drag);
        showEntries();
        // Asked, the keyboard has no key down: both were let go where no key event reached the panel.
        ModifierTracker::setQuery([] { return Qt::KeyboardModifiers(); });
        QTest::keyPress(m_view.get(), Qt::Key_Control);
        QTest::keyPress(m_view.get(), Qt::Key_Alt, Qt::ControlModifier);
        QVERIFY(grid()->altPressed() && grid()->ctrlPressed());
        DragRunner::setRunner([](QDrag&, Qt::DropActions) { return Qt::IgnoreAction; });
        QEvent deactivate(QEvent::ApplicationDeactivate);
        if (drag)
            pressAndPull(surface(), centreOf(0), Qt::ControlModifier);
        else
            QCoreApplication::sendEvent(qApp, &deactivate);
        QVERIFY(!bar()->ctrlPressed() && !grid()->ctrlPressed() && !grid()->altPressed());
    }

    // Lines as wide as "Weekly report", joined by "|"; a trailing "…" stands for the text cut short.
    void namesWrapBetweenWords_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks") << u" Weekly \t report  draft"_s << u"Weekly report|draft"_s;
        QTest::newRow("long word") << u"Weeklyreportdraft list"_s << u"Weeklyreportdraft…|list"_s;
        QTest::newRow("rest") << u"Weekly report draft for the board"_s
                              << u"Weekly report|draft for the board…"_s;
    }
    void namesWrapBetweenWords() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QFont font = PanelPainting::systemFont(ItemCell::kNameFontSize);
        const QFontMetricsF metrics(font);
        const double width = metrics.horizontalAdvance(u"Weekly report"_s) + 1;
        QStringList lines = expected.split(u'|');
        for (QString& line : lines) {
            if (line.endsWith(u'…'))
                line = metrics.elidedText(line.chopped(1), Qt::ElideRight, width);
        }
        QCOMPARE(ItemCell::nameLines(name, font, width), lines);
    }

    // New items keep the keyboard on its item, or else on the cell that took its place.
    void focusStaysOnItsItem() {
        ItemGridView view(*m_icons);
        const QList<NookItem> abcd = nook(u"G"_s, {u"A"_s, u"B"_s, u"C"_s, u"D"_s}).items;
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

    // Only the cells in view (four rows of four) ask for icons, at the top and at the end. A picture's
    // preview takes its type icon's place once made (with no session bus, as here), without a new load.
    void onlyCellsInViewAskForIcons() {
        ItemGridView view(*m_icons);
        view.resize(360, 350);
        QImage red(200, 100, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString picture = m_env->makeFile(u"Many/red.png"_s);
        QVERIFY(red.save(picture));
        QList<NookItem> items;
        for (int i = 0; i < 5000; ++i)
            items << NookItem{QUuid::createUuid(), u"Item %1"_s.arg(i),
                              Bookmarks::makeBookmark(QUrl::fromLocalFile(picture)).value()};
        view.setItems(items);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(m_icons->count(), 16);
        QVERIFY(m_icons->cached(items.at(15).id) && !m_icons->cached(items.at(16).id));
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QTRY_COMPARE(m_icons->count(), 32);
        QVERIFY(m_icons->cached(items.last().id) && !m_icons->cached(items.at(4983).id));
        QTRY_COMPARE(view.look(0).icon->pixmap(64).toImage().pixelColor(32, 32), QColor(Qt::red));
        QCOMPARE(m_icons->loadsStarted(), 32);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestItemGrid)
#include "tst_itemgrid.moc"
