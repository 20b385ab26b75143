#include "ViewTestSupport.h"
#include "views/HeaderButton.h"
#include "views/NoticeBar.h"
#include "views/PanelMetrics.h"
#include "views/TargetCheck.h"

#include <QAccessible>

using namespace ViewTest;

struct KeyCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString underWay, expected;
};

// The panel driven from the keyboard alone, keys sent through the window as the platform does.
class TestPanelKeys : public ViewTest::PanelTestCase {
    Q_OBJECT

    // Nook A with items i0, i1, ..., then B (b0) and an empty C.
    void showItems(int itemCount) {
        QStringList names;
        for (int i = 0; i < itemCount; ++i)
            names << u"i%1"_s.arg(i);
        showPanel({nook(u"A"_s, names), nook(u"B"_s, {u"b0"_s}), nook(u"C"_s)});
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(m_view->windowHandle(), Qt::Key(key), modifiers);
    }

private slots:
    // Ten items in four columns: rows 0-3, 4-7 and a short last row 8-9 (or as many as a row says).
    void arrowsFollowTheLayout_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("items");
        using K = QList<int>;
        const auto row = [](const char* name, const K& keys, int expected, int items = 10) {
            QTest::newRow(name) << keys << expected << items;
        };
        const int R = Qt::Key_Right, U = Qt::Key_Up, D = Qt::Key_Down;
        row("home", {Qt::Key_End, Qt::Key_Home}, 0);
        row("left at the start", {Qt::Key_Left}, 0);
        row("up in the top row", {R, U}, 1);
        row("down in the last row", {D, D, D}, 8);
        row("down onto a short row", {R, R, R, D, D}, 9);
        row("down in a full last row", {D, D}, 4, 8);
        row("wraps into the next row, up goes back", {R, R, R, R, U}, 0);
        row("end, up", {Qt::Key_End, U}, 5);
        row("page down lands in the last row, same column", {Qt::Key_PageDown}, 8);
        row("page up lands in the top row, same column", {Qt::Key_End, Qt::Key_PageUp}, 1);
        row("shift with an arrow moves as the arrow", {R, int(Qt::ShiftModifier) | R}, 2);
    }
    void arrowsFollowTheLayout() {
        QFETCH(QList<int>, keys);
        QFETCH(int, expected);
        QFETCH(int, items);
        showItems(items);
        QVERIFY(!grid()->focusRingShown());
        for (int key : keys)
            press(key & ~Qt::KeyboardModifierMask, Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        QCOMPARE(grid()->focusIndex(), expected);
        QVERIFY(grid()->focusRingShown());
        // A click puts the ring away; the next showing starts on the first item again.
        click(grid()->viewport(), grid()->cellRect(2).center().toPoint());
        QVERIFY(!grid()->focusRingShown());
        m_view->hide();
        m_view->show();
        QCOMPARE(grid()->focusIndex(), 0);
    }

    // Clicks and keys over ten items in four columns: which are selected, where the ring is, what opened
    // and whether the panel closed. "^" is Ctrl, "+" Shift; "cN" a click on cell N, "band N M" a rubber
    // band from the empty space before cell N to the middle of cell M, "empty" a click beside the cells,
    // "gone N" the item N removed elsewhere, "search" types "i", "field" gives the search field the keys.
    void selectionByClicksAndKeys_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ctrl+clicks toggle") << u"^c1 ^c3 ^c1"_s << u"i3"_s;
        QTest::newRow("shift+click from the anchor") << u"^c2 +c5"_s << u"i2 i3 i4 i5"_s;
        QTest::newRow("shift+click back past the anchor") << u"^c5 +c7 +c2"_s << u"i2 i3 i4 i5"_s;
        QTest::newRow("shift+click without anchor, from the ring") << u"+c3"_s << u"i0 i1 i2 i3"_s;
        QTest::newRow("shift+arrows move the ring and extend")
            << u"R +R +D"_s << u"i1 i2 i3 i4 i5 i6, ring 6"_s;
        QTest::newRow("shift+arrows go on from a click") << u"^c6 +L +U"_s << u"i1 i2 i3 i4 i5 i6, ring 1"_s;
        QTest::newRow("a plain arrow clears") << u"+R +R R"_s << u"ring 3"_s;
        QTest::newRow("ctrl+a") << u"^A"_s << u"i0 i1 i2 i3 i4 i5 i6 i7 i8 i9"_s;
        QTest::newRow("escape clears first, then closes") << u"^A Esc"_s << QString();
        QTest::newRow("escape with nothing selected") << u"^c1 ^c1 Esc"_s << u"closed"_s;
        QTest::newRow("a plain click opens and clears") << u"^c1 ^c2 c4"_s << u"opened i4"_s;
        QTest::newRow("enter opens the selected") << u"^c1 ^c3 Enter"_s << u"i1 i3, ring 3, opened i1 i3"_s;
        QTest::newRow("a band selects what it touches") << u"^c0 band 1 6"_s << u"i1 i2 i5 i6"_s;
        QTest::newRow("a band with ctrl adds") << u"^c0 ^band 2 3"_s << u"i0 i2 i3"_s;
        QTest::newRow("a click beside the cells clears") << u"^c1 ^c2 empty"_s << QString();
        QTest::newRow("items that go leave it") << u"^c1 ^c2 gone 2"_s << u"i1"_s;
        QTest::newRow("all that were selected gone") << u"^c2 gone 2 Esc"_s << u"closed"_s;
        QTest::newRow("the ring keeps to its item when one before it goes")
            << u"R R R gone 1"_s << u"ring 2"_s;
        QTest::newRow("escape in a search clears first") << u"search ^c1 ^c2 field Esc"_s << u"search"_s;
    }
    void selectionByClicksAndKeys() {
        QFETCH(QString, steps);
        showItems(10);
        QWidget* surface = grid()->viewport();
        const QStringList tokens = steps.split(u' ');
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            QString token = tokens.at(i);
            Qt::KeyboardModifiers modifiers;
            if (token.size() > 1 && (token.startsWith(u'^') || token.startsWith(u'+'))) {
                modifiers = token.startsWith(u'^') ? Qt::ControlModifier : Qt::ShiftModifier;
                token.remove(0, 1);
            }
            const QHash<QString, int> keys{{u"R"_s, Qt::Key_Right},     {u"L"_s, Qt::Key_Left},
                                           {u"U"_s, Qt::Key_Up},        {u"D"_s, Qt::Key_Down},
                                           {u"A"_s, Qt::Key_A},         {u"Esc"_s, Qt::Key_Escape},
                                           {u"Enter"_s, Qt::Key_Return}};
            if (keys.contains(token)) {
                press(keys.value(token), modifiers);
            } else if (token.startsWith(u'c')) {
                click(surface, grid()->cellRect(token.mid(1).toInt()).center().toPoint(), modifiers);
            } else if (token == u"empty") {
                click(surface, QPoint(4, 4));
            } else if (token == u"search") {
                QTest::keyClicks(m_view->focusWidget(), u"i"_s);
            } else if (token == u"field") {
                m_view->searchField()->setFocus();
            } else if (token == u"gone") {
                const NookGroup& a = m_store->groups().first();
                m_store->removeItem(a.items.at(tokens.at(++i).toInt()).id, a.id);
            } else if (token == u"band") {
                const QPoint from =
                    grid()->cellRect(tokens.at(++i).toInt()).topLeft().toPoint() - QPoint(5, 5);
                const QPoint to = grid()->cellRect(tokens.at(++i).toInt()).center().toPoint();
                QVERIFY(grid()->indexAt(from) < 0);
                QTest::mousePress(surface, Qt::LeftButton, modifiers, from);
                QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(surface->mapToGlobal(to)),
                                 Qt::NoButton, Qt::LeftButton, modifiers);
                QApplication::sendEvent(surface, &move);
                QCOMPARE(grid()->rubberBand(), QRect(from, to).normalized());
                QTest::mouseRelease(surface, Qt::LeftButton, modifiers, to);
                QVERIFY(grid()->rubberBand().isEmpty());
            }
        }
        QStringList state{names(grid()->selectedItems()),
                          grid()->focusRingShown() ? u"ring %1"_s.arg(grid()->focusIndex()) : QString(),
                          m_view->searchField()->isVisible() ? u"search"_s : QString(),
                          m_opened.isEmpty() ? QString() : u"opened "_s + m_opened.join(u' '),
                          m_closed ? u"closed"_s : QString()};
        state.removeAll(QString());
        QTEST(state.join(u", "_s), "expected");
        // Selected cells are painted so, and told to screen readers.
        for (int index = 0; index < grid()->items().size(); ++index) {
            const bool selected = grid()->isSelected(grid()->items().at(index).id);
            QCOMPARE(grid()->look(index).selected, selected);
            QCOMPARE(QAccessible::queryAccessibleInterface(grid())->child(index)->state().selected, selected);
        }
    }

    // One key (Ctrl+1 ... Ctrl+9 pick a nook), with a search or the new-nook sheet under way or not: the nook
    // then shown, the items of nook A and what else is under way or happened. Escape ends the innermost
    // first.
    // One key (Ctrl+1 ... Ctrl+9 pick a nook), with a search or the new-nook sheet under way or not, or after
    // the ▾ menu of every nook closed: the nook then shown, the items of nook A and what else is under way or
    // happened. Escape ends the innermost first.
    void panelKeys_data() {
        QTest::addColumn<KeyCase>("c");
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("ctrl+tab") << KeyCase{Qt::Key_Tab, ctrl, {}, u"B, i0 i1 i2"_s};
        QTest::newRow("ctrl+page down") << KeyCase{Qt::Key_PageDown, ctrl, {}, u"B, i0 i1 i2"_s};
        QTest::newRow("ctrl+backtab")
            << KeyCase{Qt::Key_Backtab, ctrl | Qt::ShiftModifier, {}, u"C, i0 i1 i2"_s};
        QTest::newRow("ctrl+page up wraps") << KeyCase{Qt::Key_PageUp, ctrl, {}, u"C, i0 i1 i2"_s};
        QTest::newRow("ctrl+3") << KeyCase{Qt::Key_3, ctrl, {}, u"C, i0 i1 i2"_s};
        QTest::newRow("ctrl+4, past the last") << KeyCase{Qt::Key_4, ctrl, {}, u"A, i0 i1 i2"_s};
        QTest::newRow("ctrl+2 while searching")
            << KeyCase{Qt::Key_2, ctrl, u"search"_s, u"B, i0 i1 i2, search"_s};
        QTest::newRow("ctrl+n") << KeyCase{Qt::Key_N, ctrl, {}, u"A, i0 i1 i2, sheet"_s};
        QTest::newRow("ctrl+comma") << KeyCase{Qt::Key_Comma, ctrl, {}, u"A, i0 i1 i2, settings"_s};
        QTest::newRow("keypad enter")
            << KeyCase{Qt::Key_Enter, Qt::KeypadModifier, {}, u"A, i0 i1 i2, opened i0"_s};
        QTest::newRow("delete") << KeyCase{Qt::Key_Delete, {}, {}, u"A, i1 i2"_s};
        QTest::newRow("escape") << KeyCase{Qt::Key_Escape, {}, {}, u"A, i0 i1 i2, closed"_s};
        QTest::newRow("escape, sheet") << KeyCase{Qt::Key_Escape, {}, u"sheet"_s, u"A, i0 i1 i2"_s};
        QTest::newRow("escape, search") << KeyCase{Qt::Key_Escape, {}, u"search"_s, u"A, i0 i1 i2"_s};
        QTest::newRow("escape, both")
            << KeyCase{Qt::Key_Escape, {}, u"search sheet"_s, u"A, i0 i1 i2, search"_s};
        // Once the ▾ menu has chosen A (B was current) or was cancelled, the keys are the grid's again.
        QTest::newRow("delete, the menu chose")
            << KeyCase{Qt::Key_Delete, {}, u"menu chose"_s, u"A, i1 i2"_s};
        QTest::newRow("delete, the menu cancelled")
            << KeyCase{Qt::Key_Delete, {}, u"menu cancelled"_s, u"A, i1 i2"_s};
    }
    void panelKeys() {
        QFETCH(KeyCase, c);
        showItems(3);
        if (c.underWay.contains(u"search"))
            QTest::keyClicks(m_view->focusWidget(), u"i"_s);
        if (c.underWay.contains(u"sheet"))
            press(Qt::Key_N, Qt::ControlModifier);
        if (c.underWay == u"search sheet")
            m_view->setFocus(); // the sheet's field no longer has the keys
        if (c.underWay.startsWith(u"menu")) {
            m_store->renameGroup(groupID(2), QString(80, u'C')); // too long for the row: the ▾ shows
            const bool chose = c.underWay.endsWith(u"chose");
            if (chose)
                m_store->selectGroup(groupID(1));
            QTRY_VERIFY(bar()->overflowButton()->isVisible());
            click(bar()->overflowButton(), bar()->overflowButton()->rect().center());
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            if (chose)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, chose ? Qt::Key_Return : Qt::Key_Escape);
            QVERIFY(!menu->isVisible());
        }
        press(c.key, c.modifiers);
        QStringList state{selectedName(),
                          names(m_store->groups().first().items),
                          m_view->searchField()->isVisible() ? u"search"_s : QString(),
                          m_view->newGroupSheet()->isVisible() ? u"sheet"_s : QString(),
                          m_settings ? u"settings"_s : QString(),
                          m_opened.isEmpty() ? QString() : u"opened "_s + m_opened.join(u' '),
                          m_closed ? u"closed"_s : QString()};
        state.removeAll(QString());
        QCOMPARE(state.join(u", "_s), c.expected);
    }

    // Tab goes from the tabs over the header's buttons to the grid (and the search field while it is
    // open), and wherever it is, a mark shows it.
    void tabOrderIsShown() {
        showItems(3);
        const QList<QWidget*> buttons{m_view->addGroupButton(), m_view->addFilesButton(), m_view->pinButton(),
                                      m_view->settingsButton()};
        QList<QImage> unmarked;
        for (QWidget* button : buttons)
            unmarked << button->grab().toImage();
        const auto stop = [&] {
            QWidget* at = m_view->focusWidget();
            const qsizetype button = buttons.indexOf(at);
            const bool marked = at == bar()    ? bar()->tab(m_store->selectedGroup()->id)->isFocusMarked()
                                : at == grid() ? grid()->focusRingShown()
                                : button >= 0  ? at->grab().toImage() != unmarked.at(button)
                                               : at == m_view->searchField();
            return QString::fromLatin1(at->metaObject()->className()) + (marked ? u"*"_s : QString());
        };
        QStringList stops{stop()};
        for (int i = 0; i < 6; ++i) {
            press(Qt::Key_Tab);
            stops << stop();
        }
        QCOMPARE(
            stops.join(u' '),
            u"ItemGridView TuckawayTabBar* HeaderButton* HeaderButton* HeaderButton* HeaderButton* ItemGridView*"_s);
        for (int i = 0; i < 5; ++i)
            press(Qt::Key_Backtab, Qt::ShiftModifier);
        press(Qt::Key_Right); // on the tabs the arrows choose a nook
        QCOMPARE(stop() + u' ' + selectedName(), u"TuckawayTabBar* B"_s);
        QTest::keyClicks(grid(), u"b"_s);
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        press(Qt::Key_Tab);
        QCOMPARE(stop(), u"QLineEdit*"_s);
    }

    // Screen readers see one child per cell and per tab, with its name and state.
    void assistiveToolsSeeCellsAndTabs_data() {
        QTest::addColumn<bool>("tabs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cells") << false << u"i0 selected | i1 focused selected | i2 Cannot be found"_s;
        QTest::newRow("tabs") << true << u"A selected | B | C"_s;
    }
    void assistiveToolsSeeCellsAndTabs() {
        QFETCH(bool, tabs);
        QFETCH(QString, expected);
        showItems(3);
        press(Qt::Key_Right, Qt::ShiftModifier);
        grid()->setTargets({grid()->items().at(2).id}, {});
        QAccessibleInterface* parent =
            QAccessible::queryAccessibleInterface(tabs ? static_cast<QWidget*>(bar()) : grid());
        QCOMPARE(parent->state().multiSelectable, !tabs);
        QStringList children;
        for (int i = 0; i < parent->childCount(); ++i) {
            QAccessibleInterface* child = parent->child(i);
            QCOMPARE(child->role(), tabs ? QAccessible::PageTab : QAccessible::ListItem);
            QCOMPARE(parent->indexOfChild(child), i);
            QCOMPARE(child->parent(), parent);
            QStringList parts{
                child->text(QAccessible::Name), child->state().focused ? u"focused"_s : QString(),
                child->state().selected ? u"selected"_s : QString(), child->text(QAccessible::Description)};
            parts.removeAll(QString());
            children << parts.join(u' ');
        }
        QCOMPARE(children.join(u" | "_s), expected);
        QCOMPARE(parent->focusChild(), tabs ? nullptr : parent->child(1));
        // Every button says what it does: the header's, the search's clear (which comes with the first
        // search), the notice's close.
        m_view->noticeBar()->post({u"notice"_s, u"act"_s, {}});
        QTest::keyClicks(grid(), u"i"_s);
        QVERIFY(m_view->searchField()->isClearButtonEnabled());
        for (QAbstractButton* button : m_view->findChildren<QAbstractButton*>())
            QVERIFY2(!QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name).isEmpty(),
                     button->metaObject()->className());
    }

    // Typing searches every nook; the arrows and Enter act on the results, and a result whose file is
    // gone says so.
    void typingSearches() {
        showItems(15);
        QTest::keyClicks(m_view->focusWidget(), u"b"_s);
        QLineEdit* field = m_view->searchField();
        QVERIFY(field->isVisible() && field->hasFocus() && !bar()->isVisible());
        // At once across the header, from where the tabs begin to the buttons.
        QCOMPARE(field->x(), PanelMetrics::kTabRowMarginX);
        QVERIFY(m_view->addGroupButton()->x() - field->geometry().right() <= 8);
        QCOMPARE(shownItems(), u"b0 · B"_s);
        QTest::keyClick(field, Qt::Key_Backspace); // removed again: the search ends
        QVERIFY(!field->isVisible());
        QCOMPARE(grid()->items().size(), 15);
        QCOMPARE(m_view->focusWidget(), grid());
        QTRY_VERIFY(!m_view->targetCheck()->isRunning());        // the nook, shown again, was looked at
        QVERIFY(QFile::remove(m_env->home() + u"/A/i13.txt"_s)); // a search looks at its results anew
        QTest::keyClicks(m_view->focusWidget(), u"I"_s);
        QTest::keyClicks(m_view->focusWidget(), u"1"_s); // now the field's
        QCOMPARE(shownItems(), u"i1 i10 i11 i12 i13 i14"_s);
        QVERIFY(grid()->focusRingShown());
        QTest::keyClick(field, Qt::Key_Down); // a row of four further
        QTRY_VERIFY(grid()->isMissing(grid()->items().at(grid()->focusIndex()).id));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(m_opened, QStringList());
        QCOMPARE(m_view->noticeBar()->text(), u"“i13” cannot be found."_s);
        // Over an empty nook the hint gives way to the results; no result says so.
        m_store->selectGroup(groupID(2));
        QVERIFY(!m_view->emptyHint()->isVisible());
        QTest::keyClicks(field, u"z"_s);
        QCOMPARE(m_view->emptyHint()->isVisible() ? m_view->emptyHint()->text() : QString(), u"No matches"_s);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestPanelKeys)
#include "tst_panelkeys.moc"
