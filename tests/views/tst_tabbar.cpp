#include "DragRunner.h"
#include "HeaderButton.h"
#include "ItemGridView.h"
#include "Localization.h"
#include "NewGroupSheet.h"
#include "TuckawayTabBar.h"
#include "TuckawayView.h"
#include "ViewTestSupport.h"
#include "views/PinState.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace ViewTest;
using namespace Qt::StringLiterals;

class TestTabBar : public PanelTestCase {
    Q_OBJECT

    TuckawayTabBar* bar() const { return m_view->tabBar(); }
    TuckawayTabButton* tab(int index) const { return bar()->tabs().at(index); }
    QUuid groupID(int index) const { return m_store->groups().at(index).id; }
    QPoint centreOf(QWidget* widget) const { return widget->rect().center(); }

    void showView(const QStringList& groupNames) {
        QList<NookGroup> groups;
        for (const QString& name : groupNames)
            groups << groupOf(*m_env, name, {});
        m_store->setGroups(groups);
        m_view = makePanel();
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        parkPointer(m_view.get());
    }

    // Opens a tab's rename field from its context menu and waits for the focus.
    void beginRename(TuckawayTabButton* button) {
        QVERIFY(triggerContextMenu(button, centreOf(button), QStringLiteral("Rename")));
        QVERIFY(button->isRenaming());
        QTRY_VERIFY(button->renameField()->hasFocus());
    }

private slots:
    void init() { setUpPanel(); }

    void cleanup() { tearDownPanel(); }

    void clickSelectsAndHighlightsOneTab() {
        showView({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        QVERIFY(tab(0)->isSelected());
        QVERIFY(!tab(1)->isSelected());
        const int widthBefore = tab(1)->sizeHint().width();

        click(tab(1), centreOf(tab(1)));
        QCOMPARE(m_view->selectedGroupID(), groupID(1));
        QCOMPARE(bar()->selectedGroupID(), groupID(1));
        QVERIFY(tab(1)->isSelected());
        QVERIFY(!tab(0)->isSelected());
        // The selected name is set in semibold, which is wider.
        QVERIFY(tab(1)->sizeHint().width() >= widthBefore);

        // The padding around the name belongs to the tab as well.
        click(tab(2), QPoint(2, tab(2)->height() / 2));
        QCOMPARE(m_view->selectedGroupID(), groupID(2));

        bar()->setSelectedGroupID(std::nullopt);
        for (TuckawayTabButton* button : bar()->tabs())
            QVERIFY(!button->isSelected());
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
        QVERIFY(bar()->overflowMenu()->actions().at(m_store->groups().size() - 1)->isChecked() ==
                (step != u"menu"));
    }

    void renameTrimsBlanksAndTabsOnly() {
        showView({QStringLiteral("Inbox"), QStringLiteral("B")});
        TuckawayTabButton* inbox = tab(0);
        beginRename(inbox);
        QCOMPARE(inbox->renameField()->text(), QStringLiteral("Inbox"));

        inbox->renameField()->clear();
        QTest::keyClicks(inbox->renameField(), QStringLiteral("  Mail\t "));
        QTest::keyClick(inbox->renameField(), Qt::Key_Return);
        QVERIFY(!inbox->isRenaming());
        QCOMPARE(groupNames(*m_store), QStringList({QStringLiteral("Mail"), QStringLiteral("B")}));
        QCOMPARE(inbox->name(), QStringLiteral("Mail"));

        // A second rename starts from the current name; blanks only rename nothing.
        beginRename(inbox);
        QCOMPARE(inbox->renameField()->text(), QStringLiteral("Mail"));
        QSignalSpy changes(m_store.get(), &NookStore::groupsChanged);
        inbox->renameField()->setText(QStringLiteral(" \t  "));
        QTest::keyClick(inbox->renameField(), Qt::Key_Return);
        QVERIFY(!inbox->isRenaming());
        QCOMPARE(changes.count(), 0);

        // Escape leaves the name as it was.
        beginRename(inbox);
        inbox->renameField()->setText(QStringLiteral("Other"));
        QTest::keyClick(inbox->renameField(), Qt::Key_Escape);
        QVERIFY(!inbox->isRenaming());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(groupNames(*m_store).first(), QStringLiteral("Mail"));
    }

    void renameFieldKeepsItsStateWhenTabsMove() {
        showView({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        TuckawayTabButton* a = tab(0);
        beginRename(a);
        a->renameField()->setText(QStringLiteral("Draft"));
        m_store->moveGroup(groupID(0), groupID(2));
        QCOMPARE(bar()->tabs().last(), a);
        QVERIFY(a->isRenaming());
        QCOMPARE(a->renameField()->text(), QStringLiteral("Draft"));
    }

    void altBadgeFollowsKeyAndPointer() {
        showView({QStringLiteral("A"), QStringLiteral("B")});
        TuckawayTabButton* a = tab(0);
        TuckawayTabButton* b = tab(1);

        // Alt while the pointer is elsewhere shows nothing.
        hover(m_view->grid(), QPoint(5, 5));
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QVERIFY(!a->isBadgeShown());
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);

        hover(a, centreOf(a));
        QVERIFY(a->isHovered());
        QVERIFY(!a->isBadgeShown());
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QVERIFY(a->isBadgeShown());
        QVERIFY(!b->isBadgeShown());
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        QVERIFY(!a->isBadgeShown());

        // Leaving the tab hides the badge, and Alt no longer concerns it.
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QVERIFY(a->isBadgeShown());
        hover(m_view->grid(), QPoint(5, 5));
        QVERIFY(!a->isHovered());
        QVERIFY(!a->isBadgeShown());

        // Alt already down when the pointer arrives: the badge shows at once.
        hover(b, centreOf(b));
        QVERIFY(b->isBadgeShown());
        QTRY_VERIFY(b->isVisible() && b->width() == b->sizeHint().width());
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
    }

    void badgeAndMenuRemoveAtOnce() {
        showView({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        TuckawayTabButton* b = tab(1);
        hover(b, centreOf(b));
        QVERIFY(b->isHovered());
        QTest::keyPress(m_view.get(), Qt::Key_Alt);
        QVERIFY(b->isBadgeShown());
        QTRY_COMPARE(b->width(), b->sizeHint().width());
        click(b, b->badgeRect().center(), Qt::AltModifier);
        QTest::keyRelease(m_view.get(), Qt::Key_Alt);
        QCOMPARE(groupNames(*m_store), QStringList({QStringLiteral("A"), QStringLiteral("C")}));

        QVERIFY(triggerContextMenu(tab(0), centreOf(tab(0)), QStringLiteral("Remove")));
        QCOMPARE(groupNames(*m_store), QStringList({QStringLiteral("C")}));
        // Removing the last group is allowed.
        QVERIFY(triggerContextMenu(tab(0), centreOf(tab(0)), QStringLiteral("Remove")));
        QVERIFY(m_store->groups().isEmpty());
        QVERIFY(bar()->tabs().isEmpty());
    }

    void ctrlDragReordersLiveAndEndsCleanly() {
        showView({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        const QUuid a = groupID(0);
        int runs = 0;
        bool dropAccepted = false;
        DragRunner::setRunner([&](QDrag& drag) {
            ++runs;
            const QMimeData* mime = drag.mimeData();
            // A passes B and C; the tab bar lays out the new order while the drag goes on.
            TuckawayTabButton* c = bar()->tab(groupID(2));
            sendDragEnter(c, centreOf(c), mime);
            if (groupNames(*m_store) !=
                QStringList({QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}))
                return Qt::IgnoreAction;
            TuckawayTabButton* own = bar()->tab(a);
            sendDragEnter(own, centreOf(own), mime); // its own place: nothing
            dropAccepted = sendDrop(own, centreOf(own), mime);
            return Qt::MoveAction;
        });

        QTest::keyPress(m_view.get(), Qt::Key_Control);
        pressAndPull(tab(0), centreOf(tab(0)), Qt::ControlModifier);
        QTest::keyRelease(m_view.get(), Qt::Key_Control);
        QCOMPARE(runs, 1);
        QCOMPARE(groupNames(*m_store),
                 QStringList({QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
        QCOMPARE(bar()->tabs().last()->name(), QStringLiteral("A"));
        QVERIFY(dropAccepted);
        QVERIFY(!bar()->activeID());

        // A drag that ends outside every tab clears the drag too: a later plain text drag
        // entering a tab neither moves anything nor is accepted.
        bool wasActive = false;
        DragRunner::setRunner([&](QDrag&) {
            wasActive = bar()->activeID() == groupID(0);
            return Qt::IgnoreAction;
        });
        QTest::keyPress(m_view.get(), Qt::Key_Control);
        pressAndPull(tab(0), centreOf(tab(0)), Qt::ControlModifier);
        QTest::keyRelease(m_view.get(), Qt::Key_Control);
        QVERIFY(wasActive);
        QVERIFY(!bar()->activeID());
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        const QStringList order = groupNames(*m_store);
        QVERIFY(!sendDragEnter(tab(2), centreOf(tab(2)), &text));
        QVERIFY(!sendDrop(tab(2), centreOf(tab(2)), &text));
        QCOMPARE(groupNames(*m_store), order);
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
        m_store->setGroups({groupOf(*m_env, u"A"_s, {u"a0"_s, u"a1"_s}), groupOf(*m_env, u"B"_s, {u"b0"_s})});
        m_view = makePanel();
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
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

    void dragWithoutCtrlMovesNothing() {
        showView({QStringLiteral("A"), QStringLiteral("B")});
        int runs = 0;
        DragRunner::setRunner([&](QDrag&) {
            ++runs;
            return Qt::IgnoreAction;
        });
        QSignalSpy moves(bar(), &TuckawayTabBar::moveRequested);
        pressAndPull(tab(0), centreOf(tab(0)));
        QCOMPARE(runs, 0);
        QVERIFY(!bar()->activeID());
        // The press became a drag, so it selects nothing either.
        QCOMPARE(m_view->selectedGroupID(), groupID(0));
        QCOMPARE(moves.count(), 0);
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestTabBar)
#include "tst_tabbar.moc"
