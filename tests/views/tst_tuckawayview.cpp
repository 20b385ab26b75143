#include "ViewTestSupport.h"
#include "model/HandOverQueue.h"
#include "model/NookCodec.h"
#include "views/HandOverProgress.h"
#include "views/HeaderButton.h"
#include "views/NoticeBar.h"
#include "views/TuckawayTabButton.h"

#include <QClipboard>
#include <QWindow>

#include <csignal>

#include <sys/resource.h>

using namespace ViewTest;

// A rename begun on a nook or an item, by its menu or F2, ended with Return or Escape.
struct RenameCase {
    QString what, typed;
    bool escape;
    QString expected;
};
// The new-nook sheet opened over these nooks (or none), ended one way.
struct SheetCase {
    bool nooks;
    QString typed, ending, made, keptText;
};
// An item of nook A dragged onto the tab `tabIndex`, with or without Ctrl.
struct ItemDropCase {
    bool ctrl;
    int tabIndex;
    QString expected, notice;
};

class TestTuckawayView : public ViewTest::PanelTestCase {
    Q_OBJECT

    // Every nook with its items: "A: a1 a2 | B: b1".
    QString contents() const {
        QStringList groups;
        for (const NookGroup& group : m_store->groups())
            groups << group.name + u": "_s + names(group.items);
        return groups.join(u" | "_s);
    }
    NewGroupSheet* sheet() const { return m_view->newGroupSheet(); }
    void clickTab(int index) { click(bar()->tab(groupID(index)), QPoint(8, 8)); }
    QPoint cell(int index) const { return grid()->cellRect(index).center().toPoint(); }

private slots:
    // The name sheet fits the narrowest panel; only a change of height while shown is reported.
    void narrowestPanelAndItsSizeChanges() {
        showPanel({nook(u"A"_s)});
        QSignalSpy sizeChanges(m_view.get(), &TuckawayView::panelSizeChanged);
        m_prefs->setColumns(3);
        m_prefs->setIconSize(36);
        m_prefs->setPanelHeight(200);
        QCOMPARE(sizeChanges.count(), 1);
        click(m_view->addGroupButton(), QPoint(14, 14));
        for (QWidget* part : sheet()->findChildren<QWidget*>()) {
            QTRY_VERIFY(m_view->rect().contains(QRect(part->mapTo(m_view.get(), QPoint()), part->size())));
            QVERIFY(part->width() >= part->minimumSizeHint().width());
        }
        m_view->hide();
        m_prefs->setPanelHeight(300);
        QCOMPARE(m_view->height(), 300);
        QCOMPARE(sizeChanges.count(), 1);
    }

    // A tab click asks the store; the panel follows its current nook, also when changed elsewhere, opens on
    // it and shows its items at once. With no nook none is current, a hint says how to make one, drops fail.
    void panelFollowsTheStoresCurrentNook() {
        showPanel({nook(u"A"_s, {u"a1"_s}), nook(u"B"_s, {u"b1"_s}), nook(u"C"_s, {u"c1"_s})});
        QCOMPARE(selectedName(), u"A"_s);
        clickTab(1);
        QCOMPARE(selectedName() + shownItems(), u"Bb1"_s);
        m_store->selectGroup(groupID(2));
        QCOMPARE(selectedName() + shownItems(), u"Cc1"_s);
        m_view->hide();
        m_store->selectGroup(groupID(1));
        showAgain();
        QCOMPARE(selectedName() + shownItems(), u"Bb1"_s);
        HandOverQueue& queue = m_store->handOvers();
        queue.add({QUrl::fromLocalFile(m_env->makeFile(u"new.txt"_s))}, HandOverTarget::current());
        queue.add({QUrl::fromLocalFile(m_env->makeFile(u"other.txt"_s))}, HandOverTarget::group(groupID(0)));
        queue.complete();
        QCOMPARE(shownItems(), u"b1 new"_s);
        m_store->renameGroup(groupID(2), u"Renamed"_s);
        QCOMPARE(shownItems(), u"b1 new"_s);
        QCOMPARE(bar()->tabs().at(2)->name(), u"Renamed"_s);
        while (!m_store->groups().isEmpty())
            m_store->deleteGroup(groupID(0));
        QCOMPARE(selectedName(), QString());
        QCOMPARE(m_view->emptyHint()->text(), u"No nooks yet. Make one with the + button."_s);
        QVERIFY(m_view->emptyHint()->isVisible());
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_env->makeFile(u"lost.txt"_s))});
        QSignalSpy finished(&queue, &HandOverQueue::finished);
        QVERIFY(dropAt(grid()->viewport(), QPoint(50, 50), &files));
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().at(1).value<HandOverResult>().rejected, files.urls());
        m_store->addGroup(u"Favorites"_s);
        QCOMPARE(selectedName(), u"Favorites"_s);
        QCOMPARE(m_view->emptyHint()->text(), u"Drop files here, or hand them over from the file manager."_s);
    }

    // A removed selected nook gives way to the one in its place, else the new last one.
    void removingANookKeepsOrPassesTheSelection_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("selected, middle") << 1 << 1 << u"C"_s;
        QTest::newRow("selected, first") << 0 << 0 << u"B"_s;
        QTest::newRow("selected, last") << 2 << 2 << u"B"_s;
        QTest::newRow("another, before") << 1 << 0 << u"B"_s;
        QTest::newRow("another, after") << 0 << 1 << u"A"_s;
    }
    void removingANookKeepsOrPassesTheSelection() {
        QFETCH(int, selected);
        QFETCH(int, removed);
        QFETCH(QString, expected);
        showPanel({nook(u"A"_s, {u"a1"_s}), nook(u"B"_s, {u"b1"_s}), nook(u"C"_s, {u"c1"_s})});
        clickTab(selected);
        QVERIFY(triggerContextMenu(bar()->tab(groupID(removed)), QPoint(8, 8), u"Remove"_s));
        QCOMPARE(selectedName(), expected);
        QCOMPARE(shownItems(), expected.toLower() + u'1');
    }

    // Undo (button or Ctrl+Z) puts a removal or a sort back where it was, once, and only in time.
    void removalsCanBeUndone_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("nook, button") << u"nook"_s;
        QTest::newRow("item, Ctrl+Z") << u"item"_s;
        QTest::newRow("sort by name, Ctrl+Z") << u"sort"_s;
    }
    void removalsCanBeUndone() {
        QFETCH(QString, what);
        showPanel({nook(u"A"_s), nook(u"Work"_s, {u"w3"_s, u"w1"_s, u"w2"_s}), nook(u"C"_s)});
        clickTab(2); // the removal is undone where it was, not where the panel is
        const QList<NookGroup> before = m_store->groups();
        NoticeBar* notice = m_view->noticeBar();
        if (what == u"nook") {
            QVERIFY(triggerContextMenu(bar()->tab(groupID(1)), QPoint(8, 8), u"Remove"_s));
            QCOMPARE(notice->text(), u"Removed “Work”"_s);
        } else if (what == u"item") {
            clickTab(1); // the grid's requests go to the nook on screen
            QVERIFY(triggerContextMenu(grid()->viewport(), cell(1), u"Remove"_s));
            QCOMPARE(notice->text(), u"Removed “w1”"_s);
        } else {
            clickTab(1);
            QVERIFY(triggerContextMenu(bar()->tab(groupID(1)), QPoint(8, 8), u"Sort by Name"_s));
            QTRY_COMPARE(notice->text(), u"Sorted “Work” by name"_s);
            QCOMPARE(names(m_store->groups().at(1).items), u"w1 w2 w3"_s);
            m_view->activateWindow(); // offscreen gives the activation back to nobody once a menu is gone
            QTRY_VERIFY(m_view->isActiveWindow());
        }
        if (what == u"nook")
            QTest::mouseClick(notice->actionButton(), Qt::LeftButton);
        else
            QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_store->groups(), before);
        QCOMPARE(selectedName(), u"Work"_s);
        QVERIFY(!m_view->undo());

        QVERIFY(triggerContextMenu(bar()->tab(groupID(0)), QPoint(8, 8), u"Remove"_s));
        notice->expire();
        QVERIFY(!m_view->undo());
        QCOMPARE(names(m_store->groups()), u"Work C"_s);
    }

    // Where each target is shows in its tooltip and menu; one that is gone is dimmed, and a click on it (or a
    // failed opening, also of a search result of another nook) offers to remove it (not Ctrl+Z: that undoes).
    void targetsAreLookedUp() {
        showPanel({nook(u"A"_s, {u"here"_s, u"gone"_s}), nook(u"B"_s, {u"far"_s})});
        const NookItem gone = m_store->groups().first().items.at(1);
        m_view->hide();
        QVERIFY(QFile::remove(*Bookmarks::recordedPath(gone.bookmarkData)));
        showAgain();
        QTRY_VERIFY(grid()->isMissing(gone.id));
        QVERIFY(!grid()->look(0).missing);
        QVERIFY(grid()->toolTipAt(cell(0)).endsWith(u"/A/here.txt"_s));
        QVERIFY(triggerContextMenu(grid()->viewport(), cell(0), u"Copy Path"_s));
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(u"/A/here.txt"_s));
        QVERIFY(triggerContextMenu(grid()->viewport(), cell(0), u"Open"_s));
        click(grid()->viewport(), cell(1));
        QCOMPARE(m_opened, QStringList{u"here"_s});
        QCOMPARE(m_view->noticeBar()->text(), u"“gone” cannot be found."_s);
        QVERIFY(!m_view->undo());
        QTest::mouseClick(m_view->noticeBar()->actionButton(), Qt::LeftButton);
        QCOMPARE(shownItems(), u"here"_s);
        m_view->showOpenFailure(m_store->groups().at(1).items.first().id, TuckawayView::OpenFailure::Missing);
        QTest::mouseClick(m_view->noticeBar()->actionButton(), Qt::LeftButton);
        QCOMPARE(contents(), u"A: here | B: "_s);
    }

    // Blanks at the ends go; blanks only or Escape rename nothing; a found item keeps its nook.
    void renames_data() {
        QTest::addColumn<RenameCase>("c");
        const QString same = u"A: a1 | B: b1"_s;
        QTest::newRow("nook, trimmed") << RenameCase{u"nook"_s, u" Mail\t "_s, false, u"Mail: a1 | B: b1"_s};
        QTest::newRow("nook by F2, blanks only") << RenameCase{u"nook F2"_s, u" \t "_s, false, same};
        QTest::newRow("nook, Escape") << RenameCase{u"nook"_s, u"Other"_s, true, same};
        QTest::newRow("item, trimmed") << RenameCase{u"item"_s, u"  Plan "_s, false, u"A: Plan | B: b1"_s};
        QTest::newRow("item by F2, blanks only") << RenameCase{u"item F2"_s, u"   "_s, false, same};
        QTest::newRow("item by F2, Escape") << RenameCase{u"item F2"_s, u"Other"_s, true, same};
        QTest::newRow("found elsewhere") << RenameCase{u"found"_s, u"Other"_s, false, u"A: a1 | B: Other"_s};
    }
    void renames() {
        QFETCH(RenameCase, c);
        showPanel({nook(u"A"_s, {u"a1"_s}), nook(u"B"_s, {u"b1"_s})});
        const bool onTab = c.what.startsWith(u"nook");
        TuckawayTabButton* tab = bar()->tabs().first();
        if (onTab)
            bar()->setFocus();
        else if (c.what == u"found")
            QTest::keyClicks(grid(), u"b1"_s);
        if (c.what.endsWith(u"F2"))
            QTest::keyClick(m_view->windowHandle(), Qt::Key_F2);
        else if (onTab)
            QVERIFY(triggerContextMenu(tab, QPoint(8, 8), u"Rename"_s));
        else
            QVERIFY(triggerContextMenu(grid()->viewport(), cell(0), u"Rename"_s));
        QLineEdit* field = onTab ? tab->renameField() : m_view->renameSheet()->field();
        QTRY_VERIFY(field && field->hasFocus());
        QCOMPARE(field->text(), onTab ? u"A"_s : c.what == u"found" ? u"b1"_s : u"a1"_s);
        field->setText(c.typed);
        if (onTab) { // the field keeps what is typed while the tabs move
            m_store->moveGroup(groupID(0), groupID(1));
            m_store->moveGroup(groupID(1), groupID(0));
            QVERIFY(tab->isRenaming() && field->text() == c.typed);
        }
        QTest::keyClick(field, c.escape ? Qt::Key_Escape : Qt::Key_Return);
        QVERIFY(!field->isVisible());
        QCOMPARE(m_closed, 0);
        QCOMPARE(contents(), c.expected);
    }

    // What went wrong with the data file is told in the panel, with where the file is.
    void dataFileFailuresAreTold() {
        const QString file = m_env->makeFile(u".local/share/Tuckaway/nooks.json"_s, "not json");
        m_store = std::make_unique<NookStore>(QFileInfo(file).path());
        m_view = std::make_unique<TuckawayView>(*m_store, *m_prefs, *m_icons, *m_pin);
        showAgain();
        QVERIFY(m_view->noticeBar()->isVisible());
        QVERIFY(m_view->noticeBar()->text().contains(file));
        // Renamed elsewhere too while the rename here was not on disk: the other version is kept, and where.
        m_store->addGroup(u"Kept"_s);
        m_store->waitForSaves();
        QList<NookGroup> theirs = m_store->groups();
        theirs.first().name = u"Renamed elsewhere"_s;
        QFile other(file + u".sync-tmp"_s);
        QVERIFY(other.open(QIODevice::WriteOnly) && other.write(NookCodec::encode(theirs)) > 0);
        other.close();
        QVERIFY(QFile::remove(file) && other.rename(file));
        m_store->renameGroup(theirs.first().id, u"Renamed here"_s);
        m_store->waitForSaves();
        QVERIFY(m_view->noticeBar()->text().contains(file + u".conflict-"_s));
        // A write the disk refuses (the file size limit, as a full disk would).
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{}, unlimited{};
        ::getrlimit(RLIMIT_FSIZE, &unlimited);
        limit = unlimited;
        limit.rlim_cur = 10;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        m_store->addGroup(u"Unsaved"_s);
        m_store->waitForSaves();
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        QTRY_VERIFY(m_view->noticeBar()->text().startsWith(u"Your changes could not be saved"_s));
    }

    // How the sheet ends, what it makes, and what it keeps for its next opening.
    void newNookSheet_data() {
        QTest::addColumn<SheetCase>("c");
        QTest::newRow("blank") << SheetCase{true, u"   "_s, u"create"_s, {}, u"   "_s};
        QTest::newRow("trimmed") << SheetCase{true, u"  Work  "_s, u"create"_s, u"Work"_s, {}};
        QTest::newRow("return") << SheetCase{true, u"Keys"_s, u"return"_s, u"Keys"_s, {}};
        QTest::newRow("cancel") << SheetCase{true, u"Draft"_s, u"cancel"_s, {}, {}};
        QTest::newRow("escape") << SheetCase{true, u"Gone"_s, u"escape"_s, {}, {}};
        QTest::newRow("panel hidden") << SheetCase{true, u"Later"_s, u"hide"_s, {}, u"Later"_s};
        QTest::newRow("first nook") << SheetCase{false, u"Fresh"_s, u"return"_s, u"Fresh"_s, {}};
    }
    void newNookSheet() {
        QFETCH(SheetCase, c);
        showPanel(c.nooks ? QList<NookGroup>{nook(u"A"_s, {u"a1"_s})} : QList<NookGroup>{});
        const QString before = names(m_store->groups());
        click(m_view->addGroupButton(), QPoint(14, 14));
        QTest::keyClicks(sheet()->field(), c.typed);
        if (c.ending == u"create")
            QTest::mouseClick(sheet()->createButton(), Qt::LeftButton);
        else if (c.ending == u"cancel")
            QTest::mouseClick(sheet()->cancelButton(), Qt::LeftButton);
        else if (c.ending == u"hide")
            m_view->hide();
        else
            QTest::keyClick(sheet()->field(), c.ending == u"return" ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!sheet()->isVisible());
        QCOMPARE(names(m_store->groups()), c.made.isEmpty() ? before : (before + u' ' + c.made).trimmed());
        QCOMPARE(selectedName(), c.made.isEmpty() ? before : c.made);
        if (!c.made.isEmpty())
            QVERIFY(grid()->items().isEmpty() && bar()->tabs().last()->isSelected());
        showAgain();
        click(m_view->addGroupButton(), QPoint(14, 14));
        QCOMPARE(sheet()->field()->text(), c.keptText);
    }

    void longHandOverShowsItsCountUntilItEnds() {
        showPanel({nook(u"A"_s)});
        HandOverProgress* progress = m_view->handOverProgress();
        emit m_store->handOvers().progress(0, 2000);
        QVERIFY(!progress->isVisible()); // a short one would be over before anything shows
        progress->setShowDelay(0);       // the moment has passed
        emit m_store->handOvers().progress(1200, 2000);
        QTRY_VERIFY(progress->isVisible());
        QCOMPARE(progress->toolTip(), u"Adding files: 1,200 of 2,000"_s);
        emit m_store->handOvers().finished(0, {});
        QVERIFY(!progress->isVisible());
    }

    // The pin button flips the shared flag and shows it, also as the first click into the panel; the
    // gear asks for the settings.
    void headerButtons() {
        showPanel({nook(u"A"_s)});
        HeaderButton* pin = m_view->pinButton();
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(!m_view->isActiveWindow());
        click(pin, QPoint(14, 14));
        QVERIFY(m_pin->value() && pin->isEmphasized());
        QTRY_VERIFY(m_view->isActiveWindow());
        click(pin, QPoint(14, 14));
        QVERIFY(!m_pin->value() && !pin->isEmphasized());
        click(m_view->settingsButton(), QPoint(16, 16));
        QCOMPARE(m_settings, 1);
    }

    // However a nook becomes selected, its tab scrolls into view and is checked in the menu.
    void selectedTabStaysInView_data() {
        QTest::addColumn<bool>("moved");
        QTest::newRow("moved to the end") << true;
        QTest::newRow("chosen from the menu") << false;
    }
    void selectedTabStaysInView() {
        QFETCH(bool, moved);
        QList<NookGroup> nooks;
        for (int i = 1; i <= 14; ++i)
            nooks << nook(u"Nook number %1"_s.arg(i));
        showPanel(nooks);
        QTRY_VERIFY(bar()->overflowButton()->isVisible());
        QCOMPARE(bar()->overflowMenu()->actions().at(10)->text(), u"Nook number 11"_s);
        if (moved)
            m_store->moveGroup(groupID(0), groupID(13));
        else
            bar()->overflowMenu()->actions().at(10)->trigger();
        QCoreApplication::processEvents(); // the tabs' pending layout, which places them for real
        TuckawayTabButton* shown = bar()->tab(moved ? m_store->groups().last().id : groupID(10));
        QVERIFY(shown->isSelected());
        QVERIFY(bar()->viewport()->rect().contains(
            QRect(shown->mapTo(bar()->viewport(), QPoint()), shown->size())));
        QCOMPARE(bar()->overflowMenu()->actions().last()->isChecked(), moved);
    }

    // An item dropped on another nook's tab moves there (with Ctrl: is copied), undoably.
    void itemDroppedOnATab_data() {
        QTest::addColumn<ItemDropCase>("c");
        QTest::newRow("moved") << ItemDropCase{false, 1, u"A: a1 | B: b1 a0"_s, u"Moved “a0” to “B”"_s};
        QTest::newRow("copied, Ctrl pressed during the drag")
            << ItemDropCase{true, 1, u"A: a0 a1 | B: b1 a0"_s, u"Copied “a0” to “B”"_s};
        QTest::newRow("own tab") << ItemDropCase{false, 0, u"A: a0 a1 | B: b1"_s, {}};
    }
    void itemDroppedOnATab() {
        QFETCH(ItemDropCase, c);
        showPanel({nook(u"A"_s, {u"a0"_s, u"a1"_s}), nook(u"B"_s, {u"b1"_s})});
        const QList<NookGroup> before = m_store->groups();
        bool taken = false;
        DragRunner::setRunner([&](QDrag& drag) {
            QWidget* tab = bar()->tabs().at(c.tabIndex);
            taken = dropAt(tab, tab->rect().center(), drag.mimeData(),
                           c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
            return taken ? Qt::CopyAction : Qt::IgnoreAction;
        });
        pressAndPull(grid()->viewport(), cell(0));
        QCOMPARE(taken, !c.notice.isEmpty());
        QCOMPARE(contents(), c.expected);
        QCOMPARE(m_view->noticeBar()->isPosted() ? m_view->noticeBar()->text() : QString(), c.notice);
        if (taken) {
            QVERIFY(m_view->undo());
            QCOMPARE(m_store->groups(), before);
        }
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestTuckawayView)
#include "tst_tuckawayview.moc"
