#include "HandOverProgress.h"
#include "HeaderButton.h"
#include "IconCache.h"
#include "ItemGridView.h"
#include "Localization.h"
#include "NewGroupSheet.h"
#include "NoticeBar.h"
#include "TuckawayTabBar.h"
#include "TuckawayView.h"
#include "ViewTestSupport.h"
#include "views/FirstMouseView.h"
#include "views/PinState.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

#include <memory>

using namespace ViewTest;

class TestTuckawayView : public PanelTestCase {
    Q_OBJECT

    int m_sizeChanges = 0;

    void makeView(const QList<NookGroup>& groups) {
        m_store->setGroups(groups);
        PanelCallbacks callbacks;
        callbacks.onPanelSizeChanged = [this] { ++m_sizeChanges; };
        m_view = makePanel(callbacks);
    }
    void showView() {
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        parkPointer(m_view.get());
    }
    NookGroup group(const QString& name, const QStringList& items = {}) {
        return groupOf(*m_env, name, items);
    }
    QUuid id(int index) const { return m_store->groups().at(index).id; }
    QStringList shownItems() const { return itemNames(m_view->grid()->items()); }
    NewGroupSheet* sheet() const { return m_view->newGroupSheet(); }
    void openSheet() {
        click(m_view->addGroupButton(), QPoint(14, 14));
        QVERIFY(sheet()->isVisible());
    }
    void typeInSheet(const QString& text) {
        sheet()->field()->selectAll();
        QTest::keyClick(sheet()->field(), Qt::Key_Backspace);
        QTest::keyClicks(sheet()->field(), text);
    }

private slots:
    void init() {
        setUpPanel();
        m_sizeChanges = 0;
    }

    void cleanup() { tearDownPanel(); }

    void sizeFollowsThePreferences() {
        makeView({group(QStringLiteral("A"))});
        showView();
        QCOMPARE(m_view->panelSize(), QSize(360, 440));
        QCOMPARE(m_view->size(), QSize(360, 440));

        // Width follows columns and icon size without a call; only the height calls.
        m_prefs->setColumns(5);
        m_prefs->setIconSize(64);
        QCOMPARE(m_view->size(), QSize(500, 440));
        QCOMPARE(m_sizeChanges, 0);
        m_prefs->setPanelHeight(600);
        QCOMPARE(m_view->size(), QSize(500, 600));
        QCOMPARE(m_sizeChanges, 1);
        m_prefs->setPanelHeight(600);
        QCOMPARE(m_sizeChanges, 1);
        m_prefs->setPanelHeight(0);
        QCOMPARE(m_view->height(), 440);
        QCOMPARE(m_sizeChanges, 2);

        // Not while hidden.
        m_view->hide();
        m_prefs->setPanelHeight(300);
        QCOMPARE(m_sizeChanges, 2);
        QCOMPARE(m_view->height(), 300);
    }

    // The narrowest panel the settings allow still shows the whole name sheet.
    void sheetFitsTheNarrowestPanel() {
        makeView({group(QStringLiteral("A"))});
        showView();
        m_prefs->setColumns(Preferences::kColumnChoices[0]);
        m_prefs->setIconSize(Preferences::kIconSizeRange.minimum);
        QCOMPARE(m_view->width(), 232);
        openSheet();
        for (QWidget* part : std::initializer_list<QWidget*>{
                 sheet()->card(), sheet()->field(), sheet()->createButton(), sheet()->cancelButton()}) {
            QTRY_VERIFY(
                m_view->rect().contains(QRect(part->mapTo(m_view.get(), QPoint(0, 0)), part->size())));
            QVERIFY(part->width() >= part->minimumSizeHint().width());
        }
    }

    // The tab on screen is the store's current nook: clicks make it current, showings open
    // on it, and a change of the current nook (a hand-over creating one) shows at once.
    void panelAndStoreShareTheCurrentNook() {
        makeView({group(QStringLiteral("A"), {QStringLiteral("a1")}),
                  group(QStringLiteral("B"), {QStringLiteral("b1"), QStringLiteral("b2")})});
        showView();
        QCOMPARE(m_view->selectedGroupID(), id(0));

        click(m_view->tabBar()->tab(id(1)), QPoint(8, 8));
        QCOMPARE(m_store->selectedGroupID(), id(1));
        m_view->hide();
        showView();
        QCOMPARE(m_view->selectedGroupID(), id(1));
        QCOMPARE(shownItems(), QStringList({QStringLiteral("b1"), QStringLiteral("b2")}));
        QVERIFY(m_view->tabBar()->tab(id(1))->isSelected());

        m_store->addURLsToSelectedGroup({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("new.txt")))});
        QCOMPARE(shownItems(),
                 QStringList({QStringLiteral("b1"), QStringLiteral("b2"), QStringLiteral("new")}));
        m_store->deleteGroup(id(0));
        m_store->deleteGroup(id(1));
        m_store->addDefaultGroupIfNone();
        QCOMPARE(m_view->selectedGroupID(), m_store->groups().first().id);
        QVERIFY(m_view->tabBar()->tabs().first()->isSelected());
    }

    void storeChangesRefreshTabsAndGrid() {
        makeView({group(QStringLiteral("A"), {QStringLiteral("a1")}), group(QStringLiteral("B"))});
        showView();
        m_store->renameGroup(id(1), QStringLiteral("Renamed"));
        QCOMPARE(m_view->tabBar()->tabs().at(1)->name(), QStringLiteral("Renamed"));
        m_store->addURLs({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("new.txt")))}, id(0));
        QCOMPARE(shownItems(), QStringList({QStringLiteral("a1"), QStringLiteral("new")}));
        // Items of a group that is not shown do not show.
        m_store->addURLs({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("other.txt")))}, id(1));
        QCOMPARE(shownItems(), QStringList({QStringLiteral("a1"), QStringLiteral("new")}));
        m_store->moveGroup(id(0), id(1));
        QCOMPARE(m_view->tabBar()->tabs().first()->name(), QStringLiteral("Renamed"));
        QCOMPARE(shownItems(), QStringList({QStringLiteral("a1"), QStringLiteral("new")}));
    }

    void removingTheSelectedGroupSelectsItsNeighbour() {
        makeView({group(QStringLiteral("A"), {QStringLiteral("a1")}),
                  group(QStringLiteral("B"), {QStringLiteral("b1")}),
                  group(QStringLiteral("C"), {QStringLiteral("c1")})});
        showView();
        const QUuid c = id(2);
        click(m_view->tabBar()->tab(id(1)), QPoint(8, 8));
        QVERIFY(triggerContextMenu(m_view->tabBar()->tab(id(1)), QPoint(8, 8), QStringLiteral("Remove")));
        // C took B's place.
        QCOMPARE(m_view->selectedGroupID(), c);
        QCOMPARE(shownItems(), QStringList({QStringLiteral("c1")}));

        // The last tab gone: the new last one.
        m_store->deleteGroup(c);
        QCOMPARE(m_view->selectedGroupID(), id(0));
        QCOMPARE(shownItems(), QStringList({QStringLiteral("a1")}));

        // Removing a group that is not selected keeps the selection.
        m_store->addGroup(QStringLiteral("D"));
        m_store->deleteGroup(id(1));
        QCOMPARE(m_view->selectedGroupID(), id(0));

        // No group left: nothing is selected, the panel says how to make a nook, and drops go nowhere.
        QVERIFY(m_view->emptyHint()->isHidden());
        m_store->deleteGroup(id(0));
        QVERIFY(!m_view->selectedGroupID());
        QCOMPARE(m_view->emptyHint()->text(), QStringLiteral("No nooks yet. Make one with the + button."));
        QVERIFY(m_view->emptyHint()->isVisible());
        QVERIFY(m_view->tabBar()->tabs().isEmpty());
        QVERIFY(m_view->grid()->items().isEmpty());
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("lost.txt")))});
        QVERIFY(dropAt(m_view->grid()->viewport(), QPoint(50, 50), &files));
        QTest::qWait(20);
        QVERIFY(m_store->groups().isEmpty());
    }

    // A removal is told with Undo; Undo (button or Ctrl+Z) puts it back as it was, in memory
    // and on disk, until the notice's time is up.
    void removalsCanBeUndone_data() {
        QTest::addColumn<bool>("group");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("group, button") << true << false;
        QTest::newRow("group, Ctrl+Z") << true << true;
        QTest::newRow("item, button") << false << false;
        QTest::newRow("item, Ctrl+Z") << false << true;
    }
    void removalsCanBeUndone() {
        QFETCH(bool, group);
        QFETCH(bool, byKey);
        makeView({this->group(QStringLiteral("A")),
                  this->group(QStringLiteral("Work"),
                              {QStringLiteral("w1"), QStringLiteral("w2"), QStringLiteral("w3")}),
                  this->group(QStringLiteral("C"))});
        showView();
        click(m_view->tabBar()->tab(id(1)), QPoint(8, 8));
        const QList<NookGroup> before = m_store->groups();
        if (group)
            QVERIFY(triggerContextMenu(m_view->tabBar()->tab(id(1)), QPoint(8, 8), QStringLiteral("Remove")));
        else
            QVERIFY(triggerContextMenu(m_view->grid()->viewport(),
                                       m_view->grid()->cellRect(1).center().toPoint(),
                                       QStringLiteral("Remove")));
        QVERIFY(m_store->groups() != before);
        NoticeBar* notice = m_view->noticeBar();
        QCOMPARE(notice->text(), group ? QStringLiteral("Removed “Work”") : QStringLiteral("Removed “w2”"));
        QCOMPARE(notice->actionButton()->text(), QStringLiteral("Undo"));
        QVERIFY(notice->timer().isActive());
        QCOMPARE(notice->timer().interval(), PanelNotices::kUndoMs);

        if (byKey)
            QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        else
            QTest::mouseClick(notice->actionButton(), Qt::LeftButton);
        QCOMPARE(m_store->groups(), before);
        m_store->waitForSaves();
        QCOMPARE(NookStore(m_env->dataHome() + QStringLiteral("/Tuckaway")).groups(), before);
        QCOMPARE(m_view->selectedGroupID(), id(1));
        QVERIFY(!notice->isPosted());
        QVERIFY(!m_view->undo()); // once only

        // Once the time is up there is nothing left to undo.
        m_store->deleteGroup(id(2));
        QVERIFY(triggerContextMenu(m_view->tabBar()->tab(id(0)), QPoint(8, 8), QStringLiteral("Remove")));
        notice->expire();
        QVERIFY(!notice->isVisible());
        QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(groupNames(*m_store), QStringList{QStringLiteral("Work")});
    }

    // A target that is gone shows dimmed once the background look finds it; a click on it
    // says so and offers to remove it, without opening anything.
    void missingTargetsAreFoundAndTold() {
        makeView({group(QStringLiteral("A"), {QStringLiteral("here"), QStringLiteral("gone")})});
        QList<QUuid> opened;
        m_view.reset();
        PanelCallbacks callbacks;
        callbacks.onOpen = [&opened](const NookItem& item) { opened << item.id; };
        m_view = makePanel(callbacks);
        const NookItem gone = m_store->groups().first().items.at(1);
        QVERIFY(QFile::remove(*Bookmarks::recordedPath(gone.bookmarkData)));
        showView();
        ItemGridView* grid = m_view->grid();
        QTRY_VERIFY(grid->isMissing(gone.id));
        QVERIFY(!grid->isMissing(m_store->groups().first().items.at(0).id));
        QVERIFY(grid->look(1).missing);
        QVERIFY(
            grid->toolTipAt(grid->cellRect(0).center().toPoint()).endsWith(QStringLiteral("/A/here.txt")));

        click(grid->viewport(), grid->cellRect(1).center().toPoint());
        QVERIFY(opened.isEmpty());
        QCOMPARE(m_view->noticeBar()->text(), QStringLiteral("“gone” cannot be found."));
        QTest::mouseClick(m_view->noticeBar()->actionButton(), Qt::LeftButton);
        QCOMPARE(shownItems(), QStringList{QStringLiteral("here")});
    }

    // The context menu renames an item (trimmed, blank refused) and copies its path.
    void itemMenuRenamesAndCopies() {
        makeView({group(QStringLiteral("A"), {QStringLiteral("a1")})});
        showView();
        ItemGridView* grid = m_view->grid();
        const QPoint cell = grid->cellRect(0).center().toPoint();
        QVERIFY(triggerContextMenu(grid->viewport(), cell, QStringLiteral("Copy Path")));
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("/A/a1.txt")));
        for (const QString& typed : {QStringLiteral("   "), QStringLiteral("  Plan  ")}) {
            QVERIFY(triggerContextMenu(grid->viewport(), cell, QStringLiteral("Rename")));
            NewGroupSheet* sheet = m_view->renameSheet();
            QCOMPARE(sheet->field()->text(), m_store->groups().first().items.first().name);
            sheet->field()->setText(typed);
            QTest::keyClick(sheet->field(), Qt::Key_Return);
            QVERIFY(!sheet->isVisible());
        }
        QCOMPARE(shownItems(), QStringList{QStringLiteral("Plan")});
    }

    // What went wrong with the data file is told in the panel, with where the file is.
    void dataFileFailuresAreTold() {
        const QString folder = m_env->dataHome() + QStringLiteral("/Tuckaway");
        QFile file(folder + QStringLiteral("/nooks.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not json");
        file.close();
        m_store = std::make_unique<NookStore>(folder);
        m_view = makePanel();
        showView();
        QVERIFY(m_view->noticeBar()->isVisible());
        QVERIFY(m_view->noticeBar()->text().contains(file.fileName()));

        // The file's place taken by a folder: no save can succeed.
        m_store->addGroup(QStringLiteral("Kept"));
        m_store->waitForSaves();
        QVERIFY(QFile::remove(file.fileName()));
        QVERIFY(QDir().mkpath(file.fileName()));
        m_store->addGroup(QStringLiteral("Unsaved"));
        QTRY_VERIFY(
            m_view->noticeBar()->text().startsWith(QStringLiteral("Your changes could not be saved")));
    }

    void newGroupDialogRules() {
        makeView({group(QStringLiteral("A"))});
        showView();
        openSheet();
        QCOMPARE(sheet()->titleLabel()->text(), QStringLiteral("New Nook"));
        QCOMPARE(sheet()->field()->placeholderText(), QStringLiteral("Name"));
        QCOMPARE(sheet()->createButton()->text(), QStringLiteral("Create"));
        QCOMPARE(sheet()->cancelButton()->text(), QStringLiteral("Cancel"));
        QVERIFY(sheet()->field()->text().isEmpty());

        // Empty: nothing is made and the selection stays.
        QTest::mouseClick(sheet()->createButton(), Qt::LeftButton);
        QVERIFY(!sheet()->isVisible());
        QCOMPARE(m_store->groups().size(), 1);
        QCOMPARE(m_view->selectedGroupID(), id(0));

        // Cancel after typing forgets the text.
        openSheet();
        typeInSheet(QStringLiteral("Draft"));
        QTest::mouseClick(sheet()->cancelButton(), Qt::LeftButton);
        QVERIFY(!sheet()->isVisible());
        QCOMPARE(m_store->groups().size(), 1);
        openSheet();
        QVERIFY(sheet()->field()->text().isEmpty());

        // A blank name makes nothing; blanks around a name go; the new group is selected;
        // the field is cleared.
        typeInSheet(QStringLiteral(" \t "));
        QTest::mouseClick(sheet()->createButton(), Qt::LeftButton);
        QCOMPARE(m_store->groups().size(), 1);
        openSheet();
        typeInSheet(QStringLiteral("  Work  "));
        QTest::mouseClick(sheet()->createButton(), Qt::LeftButton);
        QCOMPARE(groupNames(*m_store), QStringList({QStringLiteral("A"), QStringLiteral("Work")}));
        QCOMPARE(m_view->selectedGroupID(), id(1));
        QVERIFY(m_view->grid()->items().isEmpty());
        openSheet();
        QVERIFY(sheet()->field()->text().isEmpty());

        // Return creates, Escape cancels.
        typeInSheet(QStringLiteral("Keys"));
        QTest::keyClick(sheet()->field(), Qt::Key_Return);
        QCOMPARE(m_store->groups().last().name, QStringLiteral("Keys"));
        openSheet();
        typeInSheet(QStringLiteral("Gone"));
        QTest::keyClick(sheet()->field(), Qt::Key_Escape);
        QVERIFY(!sheet()->isVisible());
        QCOMPARE(m_store->groups().size(), 3);

        // Hiding the panel closes the dialog but keeps what was typed.
        openSheet();
        typeInSheet(QStringLiteral("Later"));
        m_view->hide();
        QVERIFY(!sheet()->isVisible());
        showView();
        openSheet();
        QCOMPARE(sheet()->field()->text(), QStringLiteral("Later"));
    }

    void createAfterAllGroupsWereRemoved() {
        makeView({group(QStringLiteral("A"))});
        showView();
        m_store->deleteGroup(id(0));
        openSheet();
        typeInSheet(QStringLiteral("Fresh"));
        QTest::keyClick(sheet()->field(), Qt::Key_Return);
        QCOMPARE(groupNames(*m_store), QStringList({QStringLiteral("Fresh")}));
        QCOMPARE(m_view->selectedGroupID(), id(0));
        QVERIFY(m_view->tabBar()->tab(id(0))->isSelected());
    }

    void gridRequestsGoToTheShownGroup() {
        makeView({group(QStringLiteral("A"), {QStringLiteral("a1")}),
                  group(QStringLiteral("B"), {QStringLiteral("b1"), QStringLiteral("b2")})});
        showView();
        click(m_view->tabBar()->tab(id(1)), QPoint(8, 8));
        const NookItem b1 = m_store->groups().at(1).items.first();
        m_icons->insert(b1.id, QIcon());
        QVERIFY(triggerContextMenu(m_view->grid()->viewport(), m_view->grid()->cellRect(0).center().toPoint(),
                                   QStringLiteral("Remove")));
        QCOMPARE(itemNames(m_store->groups().at(1).items), QStringList({QStringLiteral("b2")}));
        QCOMPARE(itemNames(m_store->groups().at(0).items), QStringList({QStringLiteral("a1")}));
        QVERIFY(!m_icons->cached(b1.id));
    }

    void longHandOverShowsItsCountUntilItEnds() {
        makeView({group(QStringLiteral("A"))});
        showView();
        HandOverProgress* progress = m_view->handOverProgress();
        emit m_store->handOverProgress(0, 2000);
        QVERIFY(!progress->isVisible()); // a short one would be over before anything shows
        progress->setShowDelay(0);       // the moment has passed
        emit m_store->handOverProgress(1200, 2000);
        QTRY_VERIFY(progress->isVisible());
        QCOMPARE(progress->toolTip(), QStringLiteral("Adding files: 1,200 of 2,000"));
        // Along the foot of the header, most of the panel wide.
        QVERIFY(progress->y() < m_view->grid()->y() && progress->width() > m_view->width() / 2);
        emit m_store->handOverFinished({});
        QVERIFY(!progress->isVisible());
    }

    void pinButtonFlipsTheSharedFlag() {
        makeView({group(QStringLiteral("A"))});
        showView();
        QSignalSpy changes(m_pin.get(), &PinState::valueChanged);
        QVERIFY(!m_view->pinButton()->isEmphasized());
        QCOMPARE(m_view->pinButton()->symbolNames(), QStringList({QStringLiteral("object-unlocked")}));
        click(m_view->pinButton(), QPoint(14, 14));
        QVERIFY(m_pin->value());
        QVERIFY(m_view->pinButton()->isEmphasized());
        QCOMPARE(m_view->pinButton()->symbolNames(), QStringList({QStringLiteral("object-locked")}));
        // The flag outlives a hide and show.
        m_view->hide();
        showView();
        QVERIFY(m_pin->value());
        click(m_view->pinButton(), QPoint(14, 14));
        QVERIFY(!m_pin->value());
        QCOMPARE(changes.count(), 2);

        // Setting the value it holds tells nobody.
        m_pin->setValue(false);
        QCOMPARE(changes.count(), 2);
    }

    void settingsButtonOpensAndRaisesTheSettingsWindow() {
        makeView({group(QStringLiteral("A"))});
        showView();
        click(m_view->settingsButton(), QPoint(16, 16)); // no opener yet: nothing happens
        int opened = 0;
        m_view->setOnOpenSettings([&] { ++opened; });
        click(m_view->settingsButton(), QPoint(16, 16));
        QCOMPARE(opened, 1);

        QWidget settings;
        settings.setWindowTitle(QStringLiteral("Tuckaway Settings"));
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        settings.activateWindow();
        QTRY_VERIFY(settings.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

        QWindow german;
        german.setTitle(QStringLiteral("Tuckaway-Einstellungen"));
        QVERIFY(TuckawayView::raiseSettingsWindow(&german));
        QVERIFY(german.flags().testFlag(Qt::WindowStaysOnTopHint));
        QWindow lower;
        lower.setTitle(QStringLiteral("tuckaway settings"));
        QVERIFY(!TuckawayView::raiseSettingsWindow(&lower));
        QVERIFY(!lower.flags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void firstClickIntoAnInactivePanelActs() {
        makeView({group(QStringLiteral("A"))});
        showView();
        QWidget other;
        other.setGeometry(600, 0, 100, 100);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(!m_view->isActiveWindow());

        QVERIFY(m_view->findChild<FirstMouseView*>());
        click(m_view->pinButton(), QPoint(14, 14));
        QVERIFY(m_pin->value());
        QTRY_VERIFY(m_view->isActiveWindow());
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestTuckawayView)
#include "tst_tuckawayview.moc"
