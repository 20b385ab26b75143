#include "ViewTestSupport.h"
#include "views/HandOverProgress.h"
#include "views/HeaderButton.h"
#include "views/ItemGridView.h"
#include "views/NewGroupSheet.h"
#include "views/NoticeBar.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayTabButton.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

using namespace ViewTest;
using namespace Qt::StringLiterals;

class TestTuckawayView : public PanelTestCase {
    Q_OBJECT

    int m_sizeChanges = 0;
    QList<QUuid> m_opened;

    void showView(const QList<NookGroup>& groups) {
        m_store->setGroups(groups);
        PanelCallbacks callbacks;
        callbacks.onPanelSizeChanged = [this] { ++m_sizeChanges; };
        callbacks.onOpen = [this](const NookItem& item) { m_opened << item.id; };
        m_view = makePanel(callbacks);
        showAgain();
    }
    void showAgain() {
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        parkPointer(m_view.get());
    }
    // Nooks A, B, C with one item each (a1, b1, c1).
    void showThreeNooks() {
        showView({groupOf(*m_env, u"A"_s, {u"a1"_s}), groupOf(*m_env, u"B"_s, {u"b1"_s}),
                  groupOf(*m_env, u"C"_s, {u"c1"_s})});
    }
    QUuid id(int index) const { return m_store->groups().at(index).id; }
    QString selectedName() const {
        for (const NookGroup& group : m_store->groups())
            if (group.id == m_view->selectedGroupID())
                return group.name;
        return {};
    }
    QStringList shownItems() const { return itemNames(m_view->grid()->items()); }
    NewGroupSheet* sheet() const { return m_view->newGroupSheet(); }
    void clickTab(int index) { click(m_view->tabBar()->tab(id(index)), QPoint(8, 8)); }
    bool removeByMenu(QWidget* widget, const QPoint& pos) {
        return triggerContextMenu(widget, pos, u"Remove"_s);
    }

private slots:
    void init() {
        setUpPanel();
        m_sizeChanges = 0;
        m_opened.clear();
    }
    void cleanup() { tearDownPanel(); }

    // Width from columns and icon size, height from the panel height; values that cannot
    // size a panel give the default. Only a change of height while shown is reported.
    void sizeFollowsThePreferences_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("iconSize");
        QTest::addColumn<double>("height");
        QTest::addColumn<QSize>("size");
        QTest::newRow("defaults") << 4 << 52.0 << 440.0 << QSize(360, 440);
        QTest::newRow("widest") << 5 << 64.0 << 640.0 << QSize(500, 640);
        QTest::newRow("narrowest") << 3 << 36.0 << 200.0 << QSize(232, 200);
        QTest::newRow("nothing to size with") << 0 << -5.0 << 0.0 << QSize(360, 440);
    }
    void sizeFollowsThePreferences() {
        QFETCH(int, columns);
        QFETCH(double, iconSize);
        QFETCH(double, height);
        QFETCH(QSize, size);
        showView({groupOf(*m_env, u"A"_s, {})});
        m_prefs->setColumns(columns);
        m_prefs->setIconSize(iconSize);
        m_prefs->setPanelHeight(height);
        QCOMPARE(m_view->size(), size);
        QCOMPARE(m_sizeChanges, 1);
        // The whole name sheet fits, also in the narrowest panel.
        click(m_view->addGroupButton(), QPoint(14, 14));
        for (QWidget* part : sheet()->findChildren<QWidget*>()) {
            QTRY_VERIFY(
                m_view->rect().contains(QRect(part->mapTo(m_view.get(), QPoint(0, 0)), part->size())));
            QVERIFY(part->width() >= part->minimumSizeHint().width());
        }
        m_view->hide();
        m_prefs->setPanelHeight(300);
        QCOMPARE(m_view->height(), 300);
        QCOMPARE(m_sizeChanges, 1);
    }

    // The tab on screen is the store's current nook: clicks make it current, showings open
    // on it, and a change of the current nook (a hand-over creating one) shows at once.
    void panelAndStoreShareTheCurrentNook() {
        showThreeNooks();
        QCOMPARE(m_view->selectedGroupID(), id(0));
        clickTab(1);
        QCOMPARE(m_store->selectedGroupID(), id(1));
        m_view->hide();
        showAgain();
        QCOMPARE(shownItems(), QStringList{u"b1"_s});
        QVERIFY(m_view->tabBar()->tab(id(1))->isSelected());

        m_store->addURLsToSelectedGroup({QUrl::fromLocalFile(m_env->makeFile(u"new.txt"_s))});
        QCOMPARE(shownItems(), QStringList({u"b1"_s, u"new"_s}));
        // Items of a nook that is not shown do not show; a rename shows on its tab.
        m_store->addURLs({QUrl::fromLocalFile(m_env->makeFile(u"other.txt"_s))}, id(0));
        m_store->renameGroup(id(2), u"Renamed"_s);
        QCOMPARE(shownItems(), QStringList({u"b1"_s, u"new"_s}));
        QCOMPARE(m_view->tabBar()->tabs().at(2)->name(), u"Renamed"_s);

        while (!m_store->groups().isEmpty())
            m_store->deleteGroup(id(0));
        m_store->addDefaultGroupIfNone();
        QCOMPARE(m_view->selectedGroupID(), id(0));
        QVERIFY(m_view->tabBar()->tabs().first()->isSelected());
    }

    // A removed nook that was selected gives way to the one that took its place, else the new
    // last one; removing another nook keeps the selection.
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
        showThreeNooks();
        clickTab(selected);
        QVERIFY(removeByMenu(m_view->tabBar()->tab(id(removed)), QPoint(8, 8)));
        QCOMPARE(selectedName(), expected);
        QCOMPARE(shownItems(), QStringList{expected.toLower() + u'1'});
        QVERIFY(m_view->tabBar()->tab(*m_view->selectedGroupID())->isSelected());
    }

    // No nook left: nothing is selected, the panel says how to make one, and a drop goes nowhere.
    void withoutNooksDropsAreRefused() {
        showView({groupOf(*m_env, u"A"_s, {})});
        QCOMPARE(m_view->emptyHint()->text(), u"Drop files here, or hand them over from the file manager."_s);
        m_store->deleteGroup(id(0));
        QVERIFY(!m_view->selectedGroupID());
        QCOMPARE(m_view->emptyHint()->text(), u"No nooks yet. Make one with the + button."_s);
        QVERIFY(m_view->emptyHint()->isVisible());
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_env->makeFile(u"lost.txt"_s))});
        QSignalSpy finished(m_store.get(), &NookStore::handOverFinished);
        QVERIFY(dropAt(m_view->grid()->viewport(), QPoint(50, 50), &files));
        QVERIFY(finished.wait());
        QCOMPARE(finished.first().first().value<HandOverResult>().rejected, files.urls());
        QVERIFY(m_store->groups().isEmpty());
    }

    // A removal is told with Undo; Undo (button or Ctrl+Z) puts it back where it was, in memory
    // and on disk, once, and only until the notice's time is up.
    void removalsCanBeUndone_data() {
        QTest::addColumn<bool>("group");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("nook, button") << true << false;
        QTest::newRow("nook, Ctrl+Z") << true << true;
        QTest::newRow("item, button") << false << false;
        QTest::newRow("item, Ctrl+Z") << false << true;
    }
    void removalsCanBeUndone() {
        QFETCH(bool, group);
        QFETCH(bool, byKey);
        showView({groupOf(*m_env, u"A"_s, {}), groupOf(*m_env, u"Work"_s, {u"w1"_s, u"w2"_s, u"w3"_s}),
                  groupOf(*m_env, u"C"_s, {})});
        clickTab(1);
        clickTab(2); // the removal is undone where it was, not where the panel is
        const QList<NookGroup> before = m_store->groups();
        if (group) {
            QVERIFY(removeByMenu(m_view->tabBar()->tab(id(1)), QPoint(8, 8)));
        } else {
            clickTab(1); // the grid's requests go to the nook on screen
            m_icons->insert(before.at(1).items.at(1).id, QIcon());
            QVERIFY(removeByMenu(m_view->grid()->viewport(), m_view->grid()->cellRect(1).center().toPoint()));
            QVERIFY(!m_icons->cached(before.at(1).items.at(1).id)); // its icon goes too
        }
        NoticeBar* notice = m_view->noticeBar();
        QCOMPARE(notice->text(), group ? u"Removed “Work”"_s : u"Removed “w2”"_s);
        QCOMPARE(notice->timer().interval(), PanelNotices::kUndoMs);
        if (byKey)
            QTest::keyClick(m_view.get(), Qt::Key_Z, Qt::ControlModifier);
        else
            QTest::mouseClick(notice->actionButton(), Qt::LeftButton);
        QCOMPARE(m_store->groups(), before);
        m_store->waitForSaves();
        QCOMPARE(NookStore(m_env->dataHome() + u"/Tuckaway"_s).groups(), before);
        QCOMPARE(m_view->selectedGroupID(), id(1));
        QVERIFY(!m_view->undo());

        QVERIFY(removeByMenu(m_view->tabBar()->tab(id(0)), QPoint(8, 8)));
        notice->expire();
        QVERIFY(!m_view->undo());
        QCOMPARE(groupNames(*m_store), QStringList({u"Work"_s, u"C"_s}));
    }

    // A target that is gone shows dimmed once the background look finds it; a click on it
    // says so and offers to remove it, without opening anything.
    void missingTargetsAreFoundAndTold() {
        showView({groupOf(*m_env, u"A"_s, {u"here"_s, u"gone"_s})});
        const NookItem gone = m_store->groups().first().items.at(1);
        m_view->hide();
        QVERIFY(QFile::remove(*Bookmarks::recordedPath(gone.bookmarkData)));
        showAgain();
        ItemGridView* grid = m_view->grid();
        QTRY_VERIFY(grid->isMissing(gone.id));
        QVERIFY(!grid->look(0).missing);
        QVERIFY(grid->toolTipAt(grid->cellRect(0).center().toPoint()).endsWith(u"/A/here.txt"_s));
        click(grid->viewport(), grid->cellRect(1).center().toPoint());
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(m_view->noticeBar()->text(), u"“gone” cannot be found."_s);
        QTest::mouseClick(m_view->noticeBar()->actionButton(), Qt::LeftButton);
        QCOMPARE(shownItems(), QStringList{u"here"_s});
    }

    // The item menu copies the path and renames (trimmed; a blank name changes nothing), also
    // a search result of another nook.
    void itemMenuRenamesAndCopies() {
        showView({groupOf(*m_env, u"A"_s, {u"a1"_s}), groupOf(*m_env, u"B"_s, {u"b1"_s})});
        ItemGridView* grid = m_view->grid();
        const QPoint cell = grid->cellRect(0).center().toPoint();
        QVERIFY(triggerContextMenu(grid->viewport(), cell, u"Copy Path"_s));
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(u"/A/a1.txt"_s));
        for (const auto& [typed, name] :
             {std::pair{u"   "_s, u"a1"_s}, std::pair{u"  Plan  "_s, u"Plan"_s}}) {
            QVERIFY(triggerContextMenu(grid->viewport(), cell, u"Rename"_s));
            QCOMPARE(m_view->renameSheet()->field()->text(), shownItems().first());
            m_view->renameSheet()->field()->setText(typed);
            QTest::keyClick(m_view->renameSheet()->field(), Qt::Key_Return);
            QVERIFY(!m_view->renameSheet()->isVisible());
            QCOMPARE(shownItems(), QStringList{name});
        }

        QTest::keyClicks(grid, u"b1"_s);
        QVERIFY(triggerContextMenu(grid->viewport(), cell, u"Rename"_s));
        m_view->renameSheet()->field()->setText(u"Other"_s);
        QTest::keyClick(m_view->renameSheet()->field(), Qt::Key_Return);
        QCOMPARE(itemNames(m_store->groups().at(1).items), QStringList{u"Other"_s});
    }

    // What went wrong with the data file is told in the panel, with where the file is.
    void dataFileFailuresAreTold() {
        const QString folder = m_env->dataHome() + u"/Tuckaway"_s;
        QFile file(folder + u"/nooks.json"_s);
        QVERIFY(QDir().mkpath(folder) && file.open(QIODevice::WriteOnly));
        file.write("not json");
        file.close();
        m_store = std::make_unique<NookStore>(folder);
        m_view = makePanel();
        showAgain();
        QVERIFY(m_view->noticeBar()->isVisible());
        QVERIFY(m_view->noticeBar()->text().contains(file.fileName()));

        // The file's place taken by a folder: no save can succeed.
        m_store->addGroup(u"Kept"_s);
        m_store->waitForSaves();
        QVERIFY(QFile::remove(file.fileName()) && QDir().mkpath(file.fileName()));
        m_store->addGroup(u"Unsaved"_s);
        QTRY_VERIFY(m_view->noticeBar()->text().startsWith(u"Your changes could not be saved"_s));
    }

    // The new-nook sheet: how it ends, what it makes, and what it keeps for its next opening.
    void newNookSheet_data() {
        QTest::addColumn<bool>("nooks");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("keptText");
        QTest::newRow("nothing typed") << true << QString() << u"create"_s << QString() << QString();
        QTest::newRow("blank") << true << u"   "_s << u"create"_s << QString() << u"   "_s;
        QTest::newRow("trimmed") << true << u"  Work  "_s << u"create"_s << u"Work"_s << QString();
        QTest::newRow("return") << true << u"Keys"_s << u"return"_s << u"Keys"_s << QString();
        QTest::newRow("cancel") << true << u"Draft"_s << u"cancel"_s << QString() << QString();
        QTest::newRow("escape") << true << u"Gone"_s << u"escape"_s << QString() << QString();
        QTest::newRow("panel hidden") << true << u"Later"_s << u"hide"_s << QString() << u"Later"_s;
        QTest::newRow("first nook") << false << u"Fresh"_s << u"return"_s << u"Fresh"_s << QString();
    }
    void newNookSheet() {
        QFETCH(bool, nooks);
        QFETCH(QString, typed);
        QFETCH(QString, ending);
        QFETCH(QString, made);
        QFETCH(QString, keptText);
        showView(nooks ? QList<NookGroup>{groupOf(*m_env, u"A"_s, {u"a1"_s})} : QList<NookGroup>{});
        const QStringList before = groupNames(*m_store);
        click(m_view->addGroupButton(), QPoint(14, 14));
        QCOMPARE(sheet()->titleLabel()->text(), u"New Nook"_s);
        QTest::keyClicks(sheet()->field(), typed);
        if (ending == u"create")
            QTest::mouseClick(sheet()->createButton(), Qt::LeftButton);
        else if (ending == u"cancel")
            QTest::mouseClick(sheet()->cancelButton(), Qt::LeftButton);
        else if (ending == u"hide")
            m_view->hide();
        else
            QTest::keyClick(sheet()->field(), ending == u"return" ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!sheet()->isVisible());
        QCOMPARE(groupNames(*m_store), made.isEmpty() ? before : before + QStringList{made});
        QCOMPARE(selectedName(), made.isEmpty() ? before.value(0) : made);
        if (!made.isEmpty())
            QVERIFY(m_view->grid()->items().isEmpty() && m_view->tabBar()->tabs().last()->isSelected());
        showAgain();
        click(m_view->addGroupButton(), QPoint(14, 14));
        QCOMPARE(sheet()->field()->text(), keptText);
    }

    void longHandOverShowsItsCountUntilItEnds() {
        showView({groupOf(*m_env, u"A"_s, {})});
        HandOverProgress* progress = m_view->handOverProgress();
        emit m_store->handOverProgress(0, 2000);
        QVERIFY(!progress->isVisible()); // a short one would be over before anything shows
        progress->setShowDelay(0);       // the moment has passed
        emit m_store->handOverProgress(1200, 2000);
        QTRY_VERIFY(progress->isVisible());
        QCOMPARE(progress->toolTip(), u"Adding files: 1,200 of 2,000"_s);
        // Along the foot of the header, most of the panel wide.
        QVERIFY(progress->y() < m_view->grid()->y() && progress->width() > m_view->width() / 2);
        emit m_store->handOverFinished({});
        QVERIFY(!progress->isVisible());
    }

    // The settings button opens the settings; a settings window (by its title, also in
    // German) is kept above the panel when it becomes active.
    void settingsButtonOpensAndRaisesTheSettingsWindow() {
        showView({groupOf(*m_env, u"A"_s, {})});
        int opened = 0;
        m_view->setOnOpenSettings([&] { ++opened; });
        click(m_view->settingsButton(), QPoint(16, 16));
        QCOMPARE(opened, 1);

        QWidget settings;
        settings.setWindowTitle(u"Tuckaway Settings"_s);
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        settings.activateWindow();
        QTRY_VERIFY(settings.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        for (const auto& [title, raised] :
             {std::pair{u"Tuckaway-Einstellungen"_s, true}, std::pair{u"tuckaway settings"_s, false}}) {
            QWindow window;
            window.setTitle(title);
            QCOMPARE(TuckawayView::raiseSettingsWindow(&window), raised);
            QCOMPARE(window.flags().testFlag(Qt::WindowStaysOnTopHint), raised);
        }
    }

    // The pin button flips the shared flag and shows it, also with the first click into an
    // inactive panel; the flag outlives a hide and show.
    void pinButtonFlipsTheSharedFlag() {
        showView({groupOf(*m_env, u"A"_s, {})});
        HeaderButton* pin = m_view->pinButton();
        QCOMPARE(pin->symbolNames(), QStringList{u"object-unlocked"_s});
        QWidget other;
        other.setGeometry(600, 0, 100, 100);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(!m_view->isActiveWindow());
        click(pin, QPoint(14, 14));
        QVERIFY(m_pin->value() && pin->isEmphasized());
        QCOMPARE(pin->symbolNames(), QStringList{u"object-locked"_s});
        QTRY_VERIFY(m_view->isActiveWindow());
        m_view->hide();
        showAgain();
        click(pin, QPoint(14, 14));
        QVERIFY(!m_pin->value() && !pin->isEmphasized());
    }
};

TUCKAWAY_TEST_WIDGETS_MAIN(TestTuckawayView)
#include "tst_tuckawayview.moc"
