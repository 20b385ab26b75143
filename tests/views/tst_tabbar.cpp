#include "ViewTestSupport.h"
#include "views/DragRunner.h"
#include "views/HeaderButton.h"
#include "views/ItemGridView.h"
#include "views/NewGroupSheet.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayView.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace ViewTest;
using namespace Qt::StringLiterals;

class TestTabBar : public PanelTestCase {
    Q_OBJECT

    TuckawayTabBar* bar() const { return m_view->tabBar(); }
    TuckawayTabButton* tab(int index) const { return bar()->tabs().at(index); }
    QUuid groupID(int index) const { return m_store->groups().at(index).id; }
    QString names() const { return groupNames(*m_store).join(u' '); }
    static QPoint centreOf(QWidget* widget) { return widget->rect().center(); }

    void showView(const QList<NookGroup>& groups) {
        m_store->setGroups(groups);
        m_view = makePanel();
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        parkPointer(m_view.get());
    }
    void showView(const QStringList& names) {
        QList<NookGroup> groups;
        for (const QString& name : names)
            groups << groupOf(*m_env, name, {});
        showView(groups);
    }

private slots:
    void init() { setUpPanel(); }
    void cleanup() { tearDownPanel(); }

    void clickSelectsOneTab() {
        showView({u"A"_s, u"B"_s, u"C"_s});
        click(tab(1), centreOf(tab(1)));
        QCOMPARE(m_view->selectedGroupID(), groupID(1));
        QCOMPARE(bar()->selectedGroupID(), groupID(1));
        // The padding around the name belongs to the tab as well.
        click(tab(2), QPoint(2, tab(2)->height() / 2));
        QCOMPARE(m_view->selectedGroupID(), groupID(2));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(tab(i)->isSelected(), i == 2);
    }

    void selectedTabStaysInView_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("created") << u"create"_s;
        QTest::newRow("moved to the end") << u"move"_s;
        QTest::newRow("chosen from the menu") << u"menu"_s;
    }
    void selectedTabStaysInView() {
        QFETCH(QString, step);
        QStringList names;
        for (int i = 1; i <= 14; ++i)
            names << u"Nook number %1"_s.arg(i);
        showView(names);
        QTRY_VERIFY(bar()->overflowButton()->isVisible());
        QStringList listed;
        for (const QAction* action : bar()->overflowMenu()->actions())
            listed << action->text();
        QCOMPARE(listed, names);
        if (step == u"create") {
            click(m_view->addGroupButton(), QPoint(14, 14));
            QTest::keyClicks(m_view->newGroupSheet()->field(), u"Fresh"_s);
            m_view->newGroupSheet()->createButton()->click();
        } else if (step == u"move") {
            m_store->moveGroup(groupID(0), groupID(names.size() - 1));
        } else {
            bar()->overflowMenu()->actions().at(10)->trigger();
        }
        QCoreApplication::processEvents(); // the tabs' pending layout, which places them for real
        const QUuid selected = *m_view->selectedGroupID();
        QCOMPARE(selected, step == u"menu" ? groupID(10) : m_store->groups().last().id);
        TuckawayTabButton* shown = bar()->tab(selected);
        QVERIFY(shown->isSelected());
        const QRect inViewport(shown->mapTo(bar()->viewport(), QPoint(0, 0)), shown->size());
        QVERIFY(bar()->viewport()->rect().contains(inViewport));
        QCOMPARE(bar()->overflowMenu()->actions().at(m_store->groups().size() - 1)->isChecked(),
                 step != u"menu");
    }

    // Blanks and tabs at the ends go; blanks only, or Escape, rename nothing.
    void rename_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trimmed") << u"  Mail\t "_s << int(Qt::Key_Return) << u"Mail B"_s;
        QTest::newRow("blanks only") << u" \t  "_s << int(Qt::Key_Return) << u"Inbox B"_s;
        QTest::newRow("escape") << u"Other"_s << int(Qt::Key_Escape) << u"Inbox B"_s;
    }
    void rename() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, expected);
        showView({u"Inbox"_s, u"B"_s});
        TuckawayTabButton* inbox = tab(0);
        QVERIFY(triggerContextMenu(inbox, centreOf(inbox), u"Rename"_s));
        QTRY_VERIFY(inbox->renameField()->hasFocus());
        QCOMPARE(inbox->renameField()->text(), u"Inbox"_s);
        // The field keeps what was typed while the tabs move.
        inbox->renameField()->setText(typed);
        m_store->moveGroup(groupID(0), groupID(1));
        QVERIFY(inbox->isRenaming() && inbox->renameField()->text() == typed);
        m_store->moveGroup(groupID(1), groupID(0));
        QTest::keyClick(inbox->renameField(), Qt::Key(key));
        QVERIFY(!inbox->isRenaming());
        QCOMPARE(names(), expected);
        QCOMPARE(inbox->name(), expected.section(u' ', 0, 0));
    }

    void altBadgeFollowsKeyAndPointerAndRemoves() {
        showView({u"A"_s, u"B"_s, u"C"_s});
        TuckawayTabButton* a = tab(0);
        TuckawayTabButton* b = tab(1);
        // Alt while the pointer is elsewhere shows nothing.
        hover(m_view->grid(), QPoint(5, 5));
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QVERIFY(!a->isBadgeShown());
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        hover(a, centreOf(a));
        QVERIFY(!a->isBadgeShown());
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QVERIFY(a->isBadgeShown() && !b->isBadgeShown());
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        QVERIFY(!a->isBadgeShown());
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        // Leaving the tab hides the badge.
        hover(m_view->grid(), QPoint(5, 5));
        QVERIFY(!a->isBadgeShown());
        // Alt already down when the pointer arrives: the badge shows at once and removes.
        hover(b, centreOf(b));
        QVERIFY(b->isBadgeShown());
        QTRY_COMPARE(b->width(), b->sizeHint().width());
        click(b, b->badgeRect().center(), Qt::AltModifier);
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        QCOMPARE(names(), u"A C"_s);
        // The menu removes too, the last nook as well.
        QVERIFY(triggerContextMenu(tab(1), centreOf(tab(1)), u"Remove"_s));
        QVERIFY(triggerContextMenu(tab(0), centreOf(tab(0)), u"Remove"_s));
        QVERIFY(m_store->groups().isEmpty() && bar()->tabs().isEmpty());
    }

    // The tab `from` is pulled, passes over its own place, then over `over`, and the drag
    // ends as `end` says. Without Ctrl no drag starts and nothing is selected.
    void ctrlDragReordersLive_data() {
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("over");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("expected");
        QTest::newRow("forward, dropped on it") << true << 0 << 2 << u"drop"_s << u"B C A"_s;
        QTest::newRow("backward") << true << 2 << 0 << u"drop"_s << u"C A B"_s;
        QTest::newRow("ended outside") << true << 0 << 1 << u"outside"_s << u"B A C"_s;
        QTest::newRow("without Ctrl") << false << 0 << 2 << u"drop"_s << u"A B C"_s;
    }
    void ctrlDragReordersLive() {
        QFETCH(bool, ctrl);
        QFETCH(int, from);
        QFETCH(int, over);
        QFETCH(QString, end);
        QFETCH(QString, expected);
        showView({u"A"_s, u"B"_s, u"C"_s});
        const QUuid selected = *m_view->selectedGroupID();
        const QUuid dragged = groupID(from);
        const QUuid target = groupID(over);
        bool dropTaken = false;
        bool ran = false;
        QString overOwn;
        QString overTarget;
        DragRunner::setRunner([&](QDrag& drag) {
            ran = true;
            TuckawayTabButton* own = bar()->tab(dragged);
            sendDragEnter(own, centreOf(own), drag.mimeData());
            overOwn = names();
            sendDragEnter(bar()->tab(target), centreOf(bar()->tab(target)), drag.mimeData());
            overTarget = names(); // laid out while the drag goes on
            if (end == u"drop")
                dropTaken = sendDrop(own, centreOf(own), drag.mimeData());
            return Qt::MoveAction;
        });
        if (ctrl)
            QTest::keyPress(m_view.get(), Qt::Key_Control);
        pressAndPull(tab(from), centreOf(tab(from)), ctrl ? Qt::ControlModifier : Qt::NoModifier);
        if (ctrl)
            QTest::keyRelease(m_view.get(), Qt::Key_Control);
        QCOMPARE(ran, ctrl);
        QCOMPARE(overOwn, ctrl ? u"A B C"_s : QString());
        QCOMPARE(overTarget, ctrl ? expected : QString());
        QCOMPARE(dropTaken, ctrl && end == u"drop");
        QCOMPARE(names(), expected);
        QCOMPARE(m_view->selectedGroupID(), selected); // a press that became a drag is no click
        // The drag is over: text from elsewhere is refused and moves nothing.
        QVERIFY(!bar()->activeID());
        QMimeData text;
        text.setText(u"hello"_s);
        QVERIFY(!sendDragEnter(tab(2), centreOf(tab(2)), &text));
        QVERIFY(!sendDrop(tab(2), centreOf(tab(2)), &text));
        QCOMPARE(names(), expected);
    }

    // An item dragged from the grid onto another nook's tab goes to that nook's end: moved,
    // or with Ctrl copied; onto its own nook's tab it is not taken. Undo puts things back.
    void itemDroppedOnATab_data() {
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<int>("tabIndex");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("notice");
        QTest::newRow("moved") << false << 1 << u"a1 | b0 a0"_s << u"Moved “a0” to “B”"_s;
        QTest::newRow("copied with ctrl") << true << 1 << u"a0 a1 | b0 a0"_s << u"Copied “a0” to “B”"_s;
        QTest::newRow("own tab") << false << 0 << u"a0 a1 | b0"_s << QString();
    }
    void itemDroppedOnATab() {
        QFETCH(bool, ctrl);
        QFETCH(int, tabIndex);
        QFETCH(QString, expected);
        QFETCH(QString, notice);
        showView({groupOf(*m_env, u"A"_s, {u"a0"_s, u"a1"_s}), groupOf(*m_env, u"B"_s, {u"b0"_s})});
        const QList<NookGroup> before = m_store->groups();
        const Qt::KeyboardModifiers modifiers = ctrl ? Qt::ControlModifier : Qt::NoModifier;
        bool taken = false;
        DragRunner::setRunner([&](QDrag& drag) {
            TuckawayTabButton* target = tab(tabIndex);
            sendDragEnter(target, centreOf(target), drag.mimeData(), modifiers);
            sendDragMove(target, centreOf(target), drag.mimeData(), modifiers);
            taken = sendDrop(target, centreOf(target), drag.mimeData(), modifiers);
            return taken ? Qt::CopyAction : Qt::IgnoreAction;
        });
        if (ctrl)
            QTest::keyPress(m_view.get(), Qt::Key_Control);
        ItemGridView* grid = m_view->grid();
        pressAndPull(grid->viewport(), grid->cellRect(0).center().toPoint(), modifiers);
        if (ctrl)
            QTest::keyRelease(m_view.get(), Qt::Key_Control);
        QCOMPARE(taken, !notice.isEmpty());
        const QList<NookGroup>& after = m_store->groups();
        QCOMPARE(itemNames(after.at(0).items).join(u' ') + u" | "_s + itemNames(after.at(1).items).join(u' '),
                 expected);
        QCOMPARE(after.at(1).items.last().id == before.at(0).items.first().id, !ctrl && taken);
        QCOMPARE(m_view->noticeBar()->isPosted() ? m_view->noticeBar()->text() : QString(), notice);
        if (taken) {
            QVERIFY(m_view->undo());
            QCOMPARE(m_store->groups(), before);
        }
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestTabBar)
#include "tst_tabbar.moc"
