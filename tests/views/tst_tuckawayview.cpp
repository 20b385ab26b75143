#include "ViewTestSupport.h"
#include "model/HandOverQueue.h"
#include "model/NookCodec.h"
#include "model/UndoHistory.h"
#include "views/HandOverProgress.h"
#include "views/HeaderButton.h"
#include "views/NoticeBar.h"
#include "views/PanelNotices.h"
#include "views/TargetCheck.h"
#include "views/TuckawayTabButton.h"

#include <QClipboard>
#include <QProcess>
#include <QScrollBar>
#include <QWindow>

#include <csignal>

#include <sys/resource.h>

// The only applications GIO knows here, set before it reads them: one for text files, the default.
static QTemporaryDir& desktopFolder() {
    static QTemporaryDir dir;
    return dir;
}
static const bool kDesktopSet = qputenv("XDG_DATA_DIRS", QFile::encodeName(desktopFolder().path()));

using namespace ViewTest;

// A rename begun on a nook or an item, by its menu or F2, ended with Return or Escape; a name
// refused keeps the rename open and says why.
struct RenameCase {
    QString what, typed;
    bool escape;
    QString expected, refused;
};
// The new-nook sheet opened over these nooks (or none), ended one way; a name refused keeps it open.
struct SheetCase {
    bool nooks;
    QString typed, ending, made, keptText, refused;
};
// An item of nook A dragged onto the tab `tabIndex`, with or without Ctrl.
// A web link in nook A (and with `copy` in B too), removed (an item, or its nook), then the notice
// ended one way.
struct LinkRemovalCase {
    bool copy, group;
    QString ending;
    bool fileStays;
};
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

    // Removals and moves stay undoable for the whole run, newest first: by Ctrl+Z, by the notice's
    // Undo (its own edit only) or by the history itself (as the tray asks). Each goes back to its
    // place and shows its nook. A step whose nook went another way, or the oldest of too many, is
    // forgotten. Steps: "remove X", "move X" (an item to C), "gone X" (removed past the history),
    // "fill" (the history's whole length of other removals), "expire", "undo", "button", "tray";
    // "pick X Y" Ctrl+clicks items, then "delete" removes the selection, "drop" drags it onto C's tab.
    void undoHistory_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected"); // the nooks, the current one, the notice, what was forgotten
        const QString before = u"A:  | Work: w1 w2 w3 | C: , Work"_s;
        QTest::newRow("a nook, by its notice") << u"remove Work, button"_s << before;
        QTest::newRow("every step, long after")
            << u"remove w2, move w1, remove A, expire, undo, undo, undo, undo"_s << before;
        QTest::newRow("the newest step only")
            << u"remove w2, move w1, remove A, undo"_s << u"A:  | Work: w3 | C: w1, A"_s;
        QTest::newRow("a notice's own edit")
            << u"remove w2, remove w3, button"_s << u"A:  | Work: w1 w3 | C: , Work"_s;
        QTest::newRow("its edit undone elsewhere, the notice goes") << u"move w3, tray"_s << before;
        QTest::newRow("nowhere to go back to")
            << u"remove w2, gone Work, undo"_s << u"A:  | C: , C, forgot w2"_s;
        QTest::newRow("the oldest of too many")
            << u"remove w2, fill"_s << u"A:  | Work: w1 w3 | C: , Work, forgot w2"_s;
        QTest::newRow("several removed")
            << u"pick w1 w3, delete"_s << u"A:  | Work: w2 | C: , Work, Removed 2 items"_s;
        QTest::newRow("several removed, back in their places") << u"pick w1 w3, delete, undo"_s << before;
        QTest::newRow("several dragged onto a tab")
            << u"pick w3 w2, drop"_s << u"A:  | Work: w1 | C: w2 w3, Work, Moved 2 items to “C”"_s;
        QTest::newRow("several dragged, back in their places") << u"pick w1 w3, drop, button"_s << before;
        QTest::newRow("several with nowhere to go back to")
            << u"pick w1 w3, delete, gone Work, undo"_s << u"A:  | C: , C, forgot w1 w3"_s;
    }
    void undoHistory() {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        showPanel({nook(u"A"_s), nook(u"Work"_s, {u"w1"_s, u"w2"_s, u"w3"_s}), nook(u"C"_s)});
        clickTab(1);
        UndoHistory& history = m_store->undoHistory();
        QStringList forgotten;
        connect(&history, &UndoHistory::forgotten, this,
                [&](const QList<NookItem>& items) { forgotten << names(items); });
        NoticeBar* notice = m_view->noticeBar();
        for (const QString& step : steps.split(u", "_s)) {
            const QString name = step.section(u' ', 1);
            const auto group = std::find_if(m_store->groups().cbegin(), m_store->groups().cend(),
                                            [&](const NookGroup& g) { return g.name == name; });
            if (step.startsWith(u"remove") && group != m_store->groups().cend())
                QVERIFY(triggerContextMenu(bar()->tab(group->id), QPoint(8, 8), u"Remove"_s));
            else if (step.startsWith(u"remove"))
                QVERIFY(triggerContextMenu(grid()->viewport(), cell(shownItems().split(u' ').indexOf(name)),
                                           u"Remove"_s));
            else if (step.startsWith(u"pick"))
                for (const QString& each : name.split(u' '))
                    click(grid()->viewport(), cell(shownItems().split(u' ').indexOf(each)),
                          Qt::ControlModifier);
            else if (step == u"delete")
                QTest::keyClick(grid(), Qt::Key_Delete);
            else if (step == u"drop") {
                DragRunner::setRunner([&](QDrag& drag, Qt::DropActions) {
                    QWidget* tab = bar()->tabs().last();
                    return dropAt(tab, tab->rect().center(), drag.mimeData()) ? Qt::CopyAction
                                                                              : Qt::IgnoreAction;
                });
                pressAndPull(grid()->viewport(),
                             cell(int(grid()->items().indexOf(grid()->selectedItems().last()))));
            } else if (step.startsWith(u"move"))
                emit bar()->itemDropRequested({grid()->items().at(shownItems().split(u' ').indexOf(name)).id},
                                              m_store->groups().last().id, false);
            else if (step.startsWith(u"gone"))
                m_store->deleteGroup(group->id);
            else if (step == u"fill")
                for (int i = 0; i < UndoHistory::kMaxSteps; ++i) {
                    const NookItem extra{QUuid::createUuid(), u"x"_s, {}};
                    m_store->addItem(extra, groupID(2));
                    QVERIFY(history.removeItem(extra.id, groupID(2)));
                }
            else if (step == u"expire")
                notice->expire();
            else if (step == u"undo")
                QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
            else if (step == u"button")
                QTest::mouseClick(notice->actionButton(), Qt::LeftButton);
            else
                QVERIFY(history.undo());
        }
        QStringList state{contents(), selectedName(), notice->isPosted() ? notice->text() : QString(),
                          forgotten.isEmpty() ? QString() : u"forgot "_s + forgotten.join(u' ')};
        state.removeAll(QString());
        QCOMPARE(state.join(u", "_s), expected);
    }

    // A sort is undone as the other edits are: the old order comes back where it was, with its nook.
    void aSortIsUndoneLikeAnyEdit() {
        showPanel({nook(u"A"_s), nook(u"Work"_s, {u"w3"_s, u"w1"_s, u"w2"_s}), nook(u"C"_s)});
        clickTab(1);
        const QList<NookGroup> before = m_store->groups();
        NoticeBar* notice = m_view->noticeBar();
        QVERIFY(triggerContextMenu(bar()->tab(groupID(1)), QPoint(8, 8), u"Sort by Name"_s));
        QTRY_COMPARE(notice->text(), u"Sorted “Work” by name"_s);
        QCOMPARE(names(m_store->groups().at(1).items), u"w1 w2 w3"_s);
        clickTab(2);
        m_view->activateWindow(); // offscreen gives the activation back to nobody once a menu is gone
        QTRY_VERIFY(m_view->isActiveWindow());
        QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_store->groups(), before);
        QCOMPARE(selectedName(), u"Work"_s);
        QVERIFY(!m_view->undo());
    }

    // A link's file stays while the removal can be undone (an undo brings back a working item),
    // after its notice has gone too, and whenever another item still refers to it; it goes once
    // the removal has left the undo history.
    void linkFileGoesWhenItsRemovalIsForgotten_data() {
        QTest::addColumn<LinkRemovalCase>("c");
        QTest::newRow("undone") << LinkRemovalCase{false, false, u"undo"_s, true};
        QTest::newRow("notice timed out") << LinkRemovalCase{false, false, u"expire"_s, true};
        QTest::newRow("notice closed") << LinkRemovalCase{false, false, u"close"_s, true};
        QTest::newRow("pushed out") << LinkRemovalCase{false, false, u"fill"_s, false};
        QTest::newRow("its nook removed") << LinkRemovalCase{false, true, u"fill"_s, false};
        QTest::newRow("its nook gone elsewhere") << LinkRemovalCase{false, false, u"gone"_s, false};
        QTest::newRow("a copy elsewhere") << LinkRemovalCase{true, false, u"fill"_s, true};
    }
    void linkFileGoesWhenItsRemovalIsForgotten() {
        QFETCH(LinkRemovalCase, c);
        showPanel({nook(u"A"_s, {u"a1"_s}), nook(u"B"_s, {u"b1"_s})});
        const QUuid other = groupID(1);
        m_store->selectGroup(groupID(0));
        m_store->handOvers().add({QUrl(u"https://example.org/x"_s)}, HandOverTarget::group(groupID(0)));
        m_store->handOvers().complete();
        const NookItem link = m_store->groups().first().items.last();
        const QString file = Bookmarks::recordedPath(link.bookmarkData).value_or(QString());
        QVERIFY(file.endsWith(u"/Tuckaway/links/example.org-x.desktop"_s));
        if (c.copy)
            QVERIFY(m_store->transferItem(link.id, groupID(0), groupID(1), true));
        if (c.group)
            QVERIFY(triggerContextMenu(bar()->tab(groupID(0)), QPoint(8, 8), u"Remove"_s));
        else
            QVERIFY(triggerContextMenu(grid()->viewport(), cell(1), u"Remove"_s));
        NoticeBar* notice = m_view->noticeBar();
        m_store->handOvers().complete();
        QVERIFY(QFile::exists(file)); // while the notice offers to undo
        if (c.ending == u"undo")
            QVERIFY(m_view->undo());
        else if (c.ending == u"expire")
            notice->expire();
        else if (c.ending == u"close")
            notice->dismiss();
        else if (c.ending == u"gone") {
            m_store->deleteGroup(groupID(0)); // as a change of the data file from elsewhere does
            QVERIFY(!m_view->undo());
        } else
            for (int i = 0; i < UndoHistory::kMaxSteps; ++i) {
                const NookItem extra{QUuid::createUuid(), u"x"_s, {}};
                m_store->addItem(extra, other);
                QVERIFY(m_store->undoHistory().removeItem(extra.id, other));
            }
        m_store->handOvers().complete();
        QCOMPARE(QFile::exists(file), c.fileStays);
    }

    // Add Files hands what was chosen to the nook on screen when it was asked for (not the one on screen
    // when the answer comes); from the header and from an empty nook; other addresses are refused.
    void addFilesGoesToTheNookOnScreen_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("expected");
        QTest::newRow("header") << u"header"_s << u"A: a1 one Drops | B: "_s;
        QTest::newRow("empty nook") << u"empty"_s << u"A: a1 | B: one Drops"_s;
        QTest::newRow("cancelled") << u"cancel"_s << u"A: a1 | B: "_s;
    }
    void addFilesGoesToTheNookOnScreen() {
        QFETCH(QString, from);
        showPanel({nook(u"A"_s, {u"a1"_s}), nook(u"B"_s)});
        FileChooser::Done answer;
        QString title;
        m_view->setFileChooser([&](QWidget*, const QString& asked, FileChooser::Done done) {
            title = asked;
            answer = std::move(done);
        });
        m_store->selectGroup(groupID(from == u"header" ? 0 : 1));
        QCOMPARE(m_view->emptyAddFilesButton()->isVisible(), from != u"header");
        click(from == u"header" ? static_cast<QWidget*>(m_view->addFilesButton())
                                : m_view->emptyAddFilesButton(),
              QPoint(6, 6));
        QVERIFY(answer);
        QCOMPARE(title, from == u"header" ? u"Add to “A”"_s : u"Add to “B”"_s);
        m_store->selectGroup(groupID(from == u"header" ? 1 : 0)); // switched while choosing
        const QString one = m_env->makeFile(u"Drops/one.txt"_s);
        answer(from == u"cancel" ? QList<QUrl>()
                                 : QList{QUrl::fromLocalFile(one), QUrl::fromLocalFile(QFileInfo(one).path()),
                                         QUrl(u"smb://host/share"_s)});
        m_store->handOvers().complete();
        QFETCH(QString, expected);
        QCOMPARE(contents().trimmed(), expected.trimmed());
        if (from != u"cancel")
            QTRY_COMPARE(m_view->noticeBar()->text(),
                         u"Only files and web pages (http, https) can be added: smb://host/share"_s);
    }

    // Open All opens each item as a click would, and names the count past ten; Open With lists the
    // applications for the file's type, the default first, and opens the item with the one chosen.
    void openAllAndOpenWith() {
        QVERIFY(kDesktopSet && QDir(desktopFolder().path()).mkpath(u"applications"_s));
        QVERIFY(QFile::link(u"/usr/share/mime"_s, desktopFolder().filePath(u"mime"_s)));
        for (const char* id : {"reader", "writer"}) {
            QFile entry(desktopFolder().filePath(u"applications/%1.desktop"_s.arg(QLatin1String(id))));
            QVERIFY(entry.open(QIODevice::WriteOnly));
            entry.write("[Desktop Entry]\nType=Application\nExec=true\nMimeType=text/plain;\nName=" +
                        QByteArray(id) + "\n");
        }
        QFile list(desktopFolder().filePath(u"applications/mimeapps.list"_s));
        QVERIFY(list.open(QIODevice::WriteOnly) &&
                list.write("[Default Applications]\ntext/plain=writer.desktop;\n"));
        list.close();
        QCOMPARE(
            QProcess::execute(u"update-desktop-database"_s, {desktopFolder().filePath(u"applications"_s)}),
            0);

        QStringList many;
        for (int i = 1; i <= 11; ++i)
            many << u"m%1"_s.arg(i);
        showPanel({nook(u"A"_s, {u"a1"_s, u"a2"_s}), nook(u"M"_s, many)});
        QVERIFY(!triggerContextMenu(bar()->tab(groupID(1)), QPoint(8, 8), u"Open All"_s));
        QVERIFY(triggerContextMenu(bar()->tab(groupID(1)), QPoint(8, 8), u"Open All (11)"_s));
        QVERIFY(triggerContextMenu(bar()->tab(groupID(0)), QPoint(8, 8), u"Open All"_s));
        QCOMPARE(m_opened.join(u' '), many.join(u' ') + u" a1 a2"_s);

        QStringList chosen;
        connect(m_view.get(), &TuckawayView::openWithRequested, this,
                [&chosen](const NookItem& item, const QString& id) { chosen << item.name + u' ' + id; });
        QTRY_VERIFY(grid()->toolTipAt(cell(1)).endsWith(u"/A/a2.txt"_s)); // its target was looked up
        // The menu as the grid makes it, not shown: a popup may close while the list comes.
        QMenu menu;
        emit grid()->menuRequested(&menu, {m_store->groups().first().items.at(1)});
        QMenu* with = nullptr;
        for (QAction* action : menu.actions())
            with = action->text() == u"Open With"_s ? action->menu() : with;
        QVERIFY(with);
        QTRY_VERIFY(with->isEnabled());
        QStringList shown;
        for (QAction* action : with->actions())
            shown << action->text();
        QCOMPARE(shown.join(u' '), u"writer reader"_s);
        with->actions().at(1)->trigger();
        QCOMPARE(chosen.join(u'|'), u"a2 reader.desktop"_s);
    }

    // Where each target is shows in its tooltip and menu; one that is gone is dimmed, and a click on it (or a
    // failed opening, also of a search result of another nook) offers to remove it (not Ctrl+Z: that undoes).
    // What is told of an item goes after a while, with its nook and with the panel; no folder shown is told.
    void targetsAreLookedUp() {
        showPanel({nook(u"A"_s, {u"here"_s, u"gone"_s}), nook(u"B"_s, {u"far"_s})});
        const NookItem gone = m_store->groups().first().items.at(1);
        m_view->hide();
        QVERIFY(QFile::remove(*Bookmarks::recordedPath(gone.bookmarkData)));
        // One that moved is found where it went.
        const QString here = m_env->home() + u"/A/here.txt"_s;
        QVERIFY(QDir().mkpath(m_env->home() + u"/A/kept"_s) &&
                QFile::rename(here, m_env->home() + u"/A/kept/here.txt"_s));
        showAgain();
        QTRY_VERIFY(grid()->isMissing(gone.id));
        QVERIFY(!grid()->look(0).missing);
        QVERIFY(grid()->toolTipAt(cell(0)).endsWith(u"/A/kept/here.txt"_s));
        QVERIFY(triggerContextMenu(grid()->viewport(), cell(0), u"Copy Path"_s));
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(u"/A/kept/here.txt"_s));
        QVERIFY(triggerContextMenu(grid()->viewport(), cell(0), u"Open"_s));
        NoticeBar* notice = m_view->noticeBar();
        for (const QString& away : {u"nook"_s, u"panel"_s, u"time"_s}) {
            click(grid()->viewport(), cell(1));
            QCOMPARE(notice->isPosted() ? notice->text() : QString(), u"“gone” cannot be found."_s);
            if (away == u"nook") {
                clickTab(1);
                clickTab(0);
            } else if (away == u"panel") {
                m_view->hide();
                showAgain();
            } else {
                QCOMPARE(notice->timer().isActive() ? notice->timer().interval() : 0,
                         PanelNotices::kProblemMs);
                notice->expire();
            }
            QVERIFY2(!notice->isPosted(), qPrintable(away));
        }
        click(grid()->viewport(), cell(1));
        QCOMPARE(m_opened, QStringList{u"here"_s});
        QVERIFY(!m_view->undo());
        QTest::mouseClick(notice->actionButton(), Qt::LeftButton);
        QCOMPARE(shownItems(), u"here"_s);
        QVERIFY(triggerContextMenu(grid()->viewport(), cell(0), u"Show in Folder"_s));
        QCOMPARE(notice->text(), u"No application shows the folder of “here”."_s);
        m_view->showOpenFailure(m_store->groups().at(1).items.first().id, TuckawayView::OpenFailure::Missing);
        QTest::mouseClick(m_view->noticeBar()->actionButton(), Qt::LeftButton);
        QCOMPARE(contents(), u"A: here | B: "_s);
    }

    // A round looks at each item once, however often it is handed in, also while a check runs; a new
    // round looks again and tells only what changed since it was last told (a big nook would hand over
    // all its paths on every showing).
    void targetChecksTellOnlyChanges() {
        const QList<NookItem> items = nook(u"T"_s, {u"kept"_s, u"goes"_s}).items;
        TargetCheck check;
        QSignalSpy told(&check, &TargetCheck::finished);
        check.check({items.at(0)});
        check.check(items); // while the first runs
        QTRY_VERIFY(!check.isRunning());
        QCOMPARE(told.count(), 2);
        QVERIFY(QFile::remove(*Bookmarks::recordedPath(items.at(1).bookmarkData)));
        check.check(items);
        QCOMPARE(told.count(), 2);
        for ([[maybe_unused]] const int round : {1, 2}) { // the change, then nothing new
            check.restart();
            check.check(items);
            QTRY_VERIFY(!check.isRunning());
            QCOMPARE(told.count(), 3);
        }
        const auto last = told.last().at(0).value<TargetCheck::Result>();
        QCOMPARE(last.missing, QSet<QUuid>{items.at(1).id});
        QVERIFY(last.paths.isEmpty());
    }

    // A big nook's targets are looked at as they come into view, not all when it is shown.
    void targetsAreLookedUpAsTheyComeIntoView() {
        QStringList many;
        for (int i = 1; i <= 80; ++i)
            many << u"m%1"_s.arg(i);
        showPanel({nook(u"M"_s, many)});
        m_view->hide();
        const QList<NookItem> items = m_store->groups().first().items;
        for (const NookItem& item : {items.first(), items.last()})
            QVERIFY(QFile::remove(*Bookmarks::recordedPath(item.bookmarkData)));
        showAgain();
        QTRY_VERIFY(grid()->isMissing(items.first().id));
        QTest::qWait(50);
        QVERIFY(!grid()->isMissing(items.last().id));
        QVERIFY(grid()->itemsInView().size() < items.size() / 2);
        grid()->verticalScrollBar()->setValue(grid()->verticalScrollBar()->maximum());
        QTRY_VERIFY(grid()->isMissing(items.last().id));
    }

    // What is typed replaces the old name; blanks at the ends go; Escape, or a nook's blank name, renames
    // nothing; a nook may not take another's name but for case, an item no blank one; a found item keeps
    // its nook.
    void renames_data() {
        QTest::addColumn<RenameCase>("c");
        const QString same = u"A: a1 | B: b1"_s;
        QTest::newRow("nook, trimmed")
            << RenameCase{u"nook"_s, u" Mail\t "_s, false, u"Mail: a1 | B: b1"_s, {}};
        QTest::newRow("nook by F2, blanks only") << RenameCase{u"nook F2"_s, u" \t "_s, false, same, {}};
        QTest::newRow("nook, Escape") << RenameCase{u"nook"_s, u"Other"_s, true, same, {}};
        QTest::newRow("nook, another's name in lower case")
            << RenameCase{u"nook"_s, u"b"_s, false, same, u"There is a nook called “B” already."_s};
        QTest::newRow("nook, its own name in lower case")
            << RenameCase{u"nook F2"_s, u"a"_s, false, u"a: a1 | B: b1"_s, {}};
        QTest::newRow("item, trimmed")
            << RenameCase{u"item"_s, u"  Plan "_s, false, u"A: Plan | B: b1"_s, {}};
        QTest::newRow("item by F2, blanks only")
            << RenameCase{u"item F2"_s, u"   "_s, false, same, u"Type a name."_s};
        QTest::newRow("item by F2, Escape") << RenameCase{u"item F2"_s, u"Other"_s, true, same, {}};
        QTest::newRow("found elsewhere")
            << RenameCase{u"found"_s, u"Other"_s, false, u"A: a1 | B: Other"_s, {}};
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
        field->insert(c.typed);
        if (onTab) { // the field keeps what is typed while the tabs move
            m_store->moveGroup(groupID(0), groupID(1));
            m_store->moveGroup(groupID(1), groupID(0));
            QVERIFY(tab->isRenaming() && field->text() == c.typed);
        }
        QTest::keyClick(field, c.escape ? Qt::Key_Escape : Qt::Key_Return);
        QCOMPARE(field->isVisible() ? field->text() : QString(), c.refused.isEmpty() ? QString() : c.typed);
        QCOMPARE(c.refused.isEmpty() ? QString()
                 : onTab             ? m_view->noticeBar()->text()
                                     : m_view->renameSheet()->problem(),
                 c.refused);
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

    // How the sheet ends, what it makes, what it refuses, and what it keeps for its next opening.
    void newNookSheet_data() {
        QTest::addColumn<SheetCase>("c");
        QTest::newRow("blank") << SheetCase{true, u"   "_s, u"create"_s, {}, u"   "_s, u"Type a name."_s};
        QTest::newRow("another's name in lower case")
            << SheetCase{true, u" a"_s, u"return"_s, {}, u" a"_s, u"There is a nook called “A” already."_s};
        QTest::newRow("trimmed") << SheetCase{true, u"  Work  "_s, u"create"_s, u"Work"_s, {}, {}};
        QTest::newRow("return") << SheetCase{true, u"Keys"_s, u"return"_s, u"Keys"_s, {}, {}};
        QTest::newRow("cancel") << SheetCase{true, u"Draft"_s, u"cancel"_s, {}, {}, {}};
        QTest::newRow("escape") << SheetCase{true, u"Gone"_s, u"escape"_s, {}, {}, {}};
        QTest::newRow("panel hidden") << SheetCase{true, u"Later"_s, u"hide"_s, {}, u"Later"_s, {}};
        QTest::newRow("first nook") << SheetCase{false, u"Fresh"_s, u"return"_s, u"Fresh"_s, {}, {}};
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
        QCOMPARE(sheet()->isVisible() ? sheet()->problem() : QString(), c.refused);
        if (sheet()->isVisible())
            m_view->hide(); // what was typed stays for the next opening
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

    // However a nook becomes selected, its tab scrolls into view and is checked in the menu, whatever its
    // name.
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
        showPanel(nooks << nook(u"Books & Papers"_s) << nook(QString(300, u'w')));
        QTRY_VERIFY(bar()->overflowButton()->isVisible());
        // The menu shows names as typed ("&" marks no shortcut) and shortens the long ones.
        const QList<QAction*> entries = bar()->overflowMenu()->actions();
        QCOMPARE(entries.at(10)->text() + u", "_s + entries.at(14)->text(),
                 u"Nook number 11, Books && Papers"_s);
        QVERIFY(bar()->overflowMenu()->sizeHint().width() < 400);
        if (moved)
            m_store->moveGroup(groupID(0), m_store->groups().last().id);
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
        DragRunner::setRunner([&](QDrag& drag, Qt::DropActions) {
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
