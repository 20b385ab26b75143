#include "ViewTestSupport.h"
#include "views/ItemGridView.h"
#include "views/NewGroupSheet.h"
#include "views/TuckawayTabBar.h"

#include <QAccessible>
#include <QLineEdit>
#include <QtTest>

using namespace ViewTest;
using namespace Qt::StringLiterals;

// The panel driven from the keyboard alone: key events go through the window to
// whichever widget holds the focus, as the platform delivers them.
class TestPanelKeys : public PanelTestCase {
    Q_OBJECT

    QList<QString> m_opened;
    int m_closed = 0;
    int m_settings = 0;

    void showPanel(int itemCount) {
        QStringList names;
        for (int i = 0; i < itemCount; ++i)
            names << u"i%1"_s.arg(i);
        m_store->setGroups({groupOf(*m_env, u"A"_s, names), groupOf(*m_env, u"B"_s, {u"b0"_s}),
                            groupOf(*m_env, u"C"_s, {})});
        PanelCallbacks callbacks;
        callbacks.onClose = [this] { ++m_closed; };
        callbacks.onOpen = [this](const NookItem& item) { m_opened << item.name; };
        m_view = makePanel(callbacks);
        m_view->setOnOpenSettings([this] { ++m_settings; });
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(m_view->windowHandle(), Qt::Key(key), modifiers);
    }
    QString selectedName() const {
        for (const GroupSummary& group : m_view->cachedGroups())
            if (group.id == m_view->selectedGroupID())
                return group.name;
        return {};
    }
    bool renaming() const { return m_view->tabBar()->tab(*m_view->selectedGroupID())->isRenaming(); }

private slots:
    void init() {
        setUpPanel();
        m_opened.clear();
        m_closed = m_settings = 0;
    }
    void cleanup() { tearDownPanel(); }

    // Ten items in four columns: rows 0-3, 4-7 and a short last row 8-9.
    void arrowsFollowTheLayout_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("expected");
        using K = QList<int>;
        QTest::newRow("right") << K{Qt::Key_Right, Qt::Key_Right} << 2;
        QTest::newRow("home") << K{Qt::Key_End, Qt::Key_Home} << 0;
        QTest::newRow("left at the start") << K{Qt::Key_Left} << 0;
        QTest::newRow("up in the top row") << K{Qt::Key_Right, Qt::Key_Up} << 1;
        QTest::newRow("down twice") << K{Qt::Key_Down, Qt::Key_Down} << 8;
        QTest::newRow("down in the last row") << K{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << 8;
        QTest::newRow("down onto a short row")
            << K{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down} << 9;
        QTest::newRow("wraps into the next row")
            << K{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << 4;
        QTest::newRow("end") << K{Qt::Key_End} << 9;
        QTest::newRow("end, up") << K{Qt::Key_End, Qt::Key_Up} << 5;
        QTest::newRow("page down lands in the last row, same column")
            << K{Qt::Key_Right, Qt::Key_PageDown} << 9;
        QTest::newRow("page up lands in the top row, same column") << K{Qt::Key_End, Qt::Key_PageUp} << 1;
    }
    void arrowsFollowTheLayout() {
        QFETCH(QList<int>, keys);
        QFETCH(int, expected);
        showPanel(10);
        ItemGridView* grid = m_view->grid();
        QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget() : m_view->focusWidget(), grid);
        QCOMPARE(grid->focusIndex(), 0);
        QVERIFY(!grid->focusRingShown());
        for (int key : keys)
            press(key);
        QCOMPARE(grid->focusIndex(), expected);
        QVERIFY(grid->focusRingShown());

        // A click puts the ring away; the next showing starts on the first item again.
        click(grid->viewport(), grid->cellRect(2).center().toPoint());
        QVERIFY(!grid->focusRingShown());
        m_view->hide();
        m_view->show();
        QCOMPARE(grid->focusIndex(), 0);
    }

    void panelKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("expected");
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        const auto ctrlShift = Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("ctrl+tab") << int(Qt::Key_Tab) << ctrl << u"B"_s;
        QTest::newRow("ctrl+page down") << int(Qt::Key_PageDown) << ctrl << u"B"_s;
        QTest::newRow("ctrl+shift+tab wraps") << int(Qt::Key_Backtab) << ctrlShift << u"C"_s;
        QTest::newRow("ctrl+page up wraps") << int(Qt::Key_PageUp) << ctrl << u"C"_s;
        QTest::newRow("ctrl+n") << int(Qt::Key_N) << ctrl << u"A sheet"_s;
        QTest::newRow("ctrl+comma") << int(Qt::Key_Comma) << ctrl << u"A settings"_s;
        QTest::newRow("f2 renames the focused item")
            << int(Qt::Key_F2) << Qt::KeyboardModifiers() << u"A renaming i0"_s;
        QTest::newRow("enter") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << u"A opened i0"_s;
        QTest::newRow("delete") << int(Qt::Key_Delete) << Qt::KeyboardModifiers()
                                << u"A removed, first now i1"_s;
    }
    void panelKeys() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, expected);
        showPanel(3);
        press(key, modifiers);
        QStringList state{selectedName()};
        if (m_view->newGroupSheet()->isVisible())
            state << u"sheet"_s;
        if (m_settings)
            state << u"settings"_s;
        if (renaming())
            state << u"tab renaming"_s;
        if (m_view->renameSheet()->isVisible())
            state << u"renaming"_s << m_view->renameSheet()->field()->text();
        if (m_closed)
            state << u"closed"_s;
        if (!m_opened.isEmpty())
            state << u"opened"_s << m_opened;
        if (m_store->groups().first().items.size() < 3)
            state << u"removed, first now"_s << m_store->groups().first().items.first().name;
        QCOMPARE(state.join(u' '), expected);
    }

    // Escape ends what is under way, the innermost first, and only then closes the panel.
    void escapeEndsWhatIsUnderWayFirst_data() {
        QTest::addColumn<QString>("underWay");
        QTest::addColumn<QString>("left");
        QTest::newRow("nothing") << QString() << u"closed"_s;
        QTest::newRow("new-nook sheet") << u"sheet"_s << QString();
        QTest::newRow("sheet over a search") << u"search sheet"_s << u"search"_s;
        QTest::newRow("item rename") << u"item rename"_s << QString();
        QTest::newRow("nook rename") << u"nook rename"_s << QString();
        QTest::newRow("search") << u"search"_s << QString();
    }
    void escapeEndsWhatIsUnderWayFirst() {
        QFETCH(QString, underWay);
        QFETCH(QString, left);
        showPanel(3);
        if (underWay.contains(u"search"))
            QTest::keyClicks(m_view->focusWidget(), u"i"_s);
        if (underWay.contains(u"sheet"))
            press(Qt::Key_N, Qt::ControlModifier);
        if (underWay == u"search sheet")
            m_view->setFocus(); // the sheet's field no longer has the keys
        if (underWay == u"item rename")
            press(Qt::Key_F2);
        if (underWay == u"nook rename") {
            m_view->tabBar()->setFocus();
            press(Qt::Key_F2);
            QTRY_VERIFY(qobject_cast<QLineEdit*>(m_view->focusWidget()));
        }
        press(Qt::Key_Escape);
        QStringList state;
        if (m_view->searchField()->isVisible())
            state << u"search"_s;
        if (m_view->newGroupSheet()->isVisible())
            state << u"sheet"_s;
        if (m_view->renameSheet()->isVisible() || renaming())
            state << u"rename"_s;
        if (m_closed)
            state << u"closed"_s;
        QCOMPARE(state.join(u' '), left);
    }

    // After a removal the keyboard stays where it was, on the item that moved up.
    void deleteKeepsThePlace() {
        showPanel(3);
        press(Qt::Key_Right);
        press(Qt::Key_Delete);
        QCOMPARE(itemNames(m_store->groups().first().items), QStringList({u"i0"_s, u"i2"_s}));
        QCOMPARE(m_view->grid()->focusIndex(), 1);
        press(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(m_opened, QList<QString>{u"i2"_s});
    }

    // Screen readers see one child per cell and per tab, with its name and state, and
    // "cannot be found" on an item whose target is gone.
    void assistiveToolsSeeCellsAndTabs_data() {
        QTest::addColumn<bool>("tabs");
        QTest::addColumn<int>("itemCount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cells") << false << 3 << u"i0 | i1 focused selected | i2 Cannot be found"_s;
        QTest::newRow("no cells") << false << 0 << QString();
        QTest::newRow("tabs") << true << 3 << u"A selected | B | C"_s;
    }
    void assistiveToolsSeeCellsAndTabs() {
        QFETCH(bool, tabs);
        QFETCH(int, itemCount);
        QFETCH(QString, expected);
        showPanel(itemCount);
        press(Qt::Key_Right);
        const QList<NookItem>& items = m_view->grid()->items();
        if (items.size() > 2)
            m_view->grid()->setTargets({items.at(2).id}, {});
        QWidget* widget = tabs ? static_cast<QWidget*>(m_view->tabBar()) : m_view->grid();
        QAccessibleInterface* parent = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(parent);
        QStringList children;
        for (int i = 0; i < parent->childCount(); ++i) {
            QAccessibleInterface* child = parent->child(i);
            QCOMPARE(child->role(), tabs ? QAccessible::PageTab : QAccessible::ListItem);
            QCOMPARE(parent->indexOfChild(child), i);
            QCOMPARE(child->parent(), parent);
            QStringList parts{child->text(QAccessible::Name)};
            if (child->state().focused)
                parts << u"focused"_s;
            if (child->state().selected)
                parts << u"selected"_s;
            parts << child->text(QAccessible::Description);
            children << parts.join(u' ').trimmed();
        }
        QCOMPARE(children.join(u" | "_s), expected);
        if (!tabs && itemCount > 1)
            QCOMPARE(parent->focusChild(), parent->child(1));
    }

    // Typing searches every nook; Up/Down and Enter act on the results.
    void typingSearches() {
        showPanel(12);
        QTest::keyClicks(m_view->focusWidget(), u"b"_s);
        QLineEdit* field = m_view->searchField();
        QVERIFY(field->isVisible() && field->hasFocus());
        QVERIFY(!m_view->tabBar()->isVisible());
        QCOMPARE(itemNames(m_view->grid()->items()), QStringList{u"b0 · B"_s});

        QTest::keyClicks(field, u"\b"_s); // removed again: the search ends
        QTest::keyClick(field, Qt::Key_Backspace);
        QVERIFY(!field->isVisible());
        QCOMPARE(m_view->grid()->items().size(), 12);

        QCOMPARE(m_view->focusWidget(), m_view->grid());
        QTest::keyClicks(m_view->focusWidget(), u"I"_s);
        QTest::keyClicks(m_view->focusWidget(), u"1"_s); // now the field's
        QCOMPARE(field->text(), u"I1"_s);
        QCOMPARE(itemNames(m_view->grid()->items()), QStringList({u"i1"_s, u"i10"_s, u"i11"_s}));
        QVERIFY(m_view->grid()->focusRingShown());
        QTest::keyClick(field, Qt::Key_Down); // one row of four: stays
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(m_opened, QList<QString>{u"i1"_s});
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestPanelKeys)
#include "tst_panelkeys.moc"
