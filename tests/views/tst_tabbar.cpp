#include "ViewTestSupport.h"
#include "views/HeaderButton.h"
#include "views/NewGroupSheet.h"
#include "views/NoticeBar.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace ViewTest;

// An item of nook A dragged onto the tab `tabIndex`, with or without Ctrl.
struct ItemDropCase {
    bool ctrl;
    int tabIndex;
    QString expected, notice;
};

class TestTabBar : public ViewTest::PanelTestCase {
    Q_OBJECT

    TuckawayTabButton* tab(int index) const { return bar()->tabs().at(index); }
    static QPoint centreOf(QWidget* widget) { return widget->rect().center(); }
    void showNooks(const QStringList& names) {
        QList<NookGroup> groups;
        for (const QString& name : names)
            groups << nook(name);
        showPanel(groups);
    }

private slots:
    // However a nook becomes selected, its tab scrolls into view and is checked in the menu.
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
        showNooks(names);
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

    // An item dropped on another nook's tab moves there (with Ctrl: is copied), undoably.
    void itemDroppedOnATab_data() {
        QTest::addColumn<ItemDropCase>("c");
        QTest::newRow("moved") << ItemDropCase{false, 1, u"a1 | b0 a0"_s, u"Moved “a0” to “B”"_s};
        QTest::newRow("copied, Ctrl pressed during the drag")
            << ItemDropCase{true, 1, u"a0 a1 | b0 a0"_s, u"Copied “a0” to “B”"_s};
        QTest::newRow("own tab") << ItemDropCase{false, 0, u"a0 a1 | b0"_s, {}};
    }
    void itemDroppedOnATab() {
        QFETCH(ItemDropCase, c);
        showPanel({nook(u"A"_s, {u"a0"_s, u"a1"_s}), nook(u"B"_s, {u"b0"_s})});
        const QList<NookGroup> before = m_store->groups();
        const Qt::KeyboardModifiers modifiers = c.ctrl ? Qt::ControlModifier : Qt::NoModifier;
        bool taken = false;
        DragRunner::setRunner([&](QDrag& drag) {
            taken = dropAt(tab(c.tabIndex), centreOf(tab(c.tabIndex)), drag.mimeData(), modifiers);
            return taken ? Qt::CopyAction : Qt::IgnoreAction;
        });
        pressAndPull(grid()->viewport(), grid()->cellRect(0).center().toPoint());
        QCOMPARE(taken, !c.notice.isEmpty());
        const QList<NookGroup>& after = m_store->groups();
        QCOMPARE(names(after.at(0).items) + u" | "_s + names(after.at(1).items), c.expected);
        QCOMPARE(m_view->noticeBar()->isPosted() ? m_view->noticeBar()->text() : QString(), c.notice);
        if (taken) {
            QVERIFY(m_view->undo());
            QCOMPARE(m_store->groups(), before);
        }
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestTabBar)
#include "tst_tabbar.moc"
