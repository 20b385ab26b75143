#include "StdoutCapture.h"
#include "TestEnvironment.h"
#include "model/NookCodec.h"
#include "model/NookStore.h"
#include "platform/Localization.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/resource.h>
#include <sys/stat.h>

class TestNookStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QString dataFile() const { return m_env->dataHome() + QStringLiteral("/Tuckaway/nooks.json"); }
    // What the file holds once the store's writes are done.
    QByteArray fileBytes(NookStore& store) const {
        store.waitForSaves();
        QFile file(dataFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QList<NookGroup> fileGroups(NookStore& store) const {
        return NookCodec::decode(fileBytes(store)).value_or(QList<NookGroup>());
    }
    void writeDataFile(const QByteArray& bytes) const {
        m_env->makeFile(QStringLiteral(".local/share/Tuckaway/nooks.json"), bytes);
    }
    QUrl file(const QString& relative) const { return QUrl::fromLocalFile(m_env->makeFile(relative)); }
    static QString names(const QList<NookItem>& items) {
        QStringList result;
        for (const NookItem& item : items)
            result << item.name;
        return result.join(u' ');
    }
    static QString names(const QList<NookGroup>& groups) {
        QStringList result;
        for (const NookGroup& group : groups)
            result << group.name;
        return result.join(u' ');
    }
    // A store whose groups are named by the letters of `groups`, the first holding items
    // named by the letters of `items`; its file is removed, so a test sees its own write.
    std::unique_ptr<NookStore> storeWith(const QString& groups, const QString& items = {}) const {
        auto store = std::make_unique<NookStore>();
        store->renameGroup(store->groups().first().id, groups.left(1));
        for (const QChar letter : groups.mid(1))
            store->addGroup(letter);
        for (const QChar letter : items)
            store->addItem(NookItem{QUuid::createUuid(), letter, "/"}, store->groups().first().id);
        store->waitForSaves();
        QFile::remove(dataFile());
        return store;
    }
    // The one line the store logs while it is made.
    std::pair<std::unique_ptr<NookStore>, QByteArray> startLogged() const {
        StdoutCapture out;
        auto store = std::make_unique<NookStore>();
        return {std::move(store), out.text()};
    }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::English)); }
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // No file or an empty list: one default group, named from the catalog, and nothing
    // written until the first change.
    void startsWithTheDefaultGroup_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("first start") << QByteArray() << QLocale(QLocale::English) << "Favorites";
        QTest::newRow("empty list") << QByteArray("[]") << QLocale(QLocale::English) << "Favorites";
        QTest::newRow("German") << QByteArray() << QLocale(QLocale::German) << "Favoriten";
    }
    void startsWithTheDefaultGroup() {
        QFETCH(QByteArray, content);
        QFETCH(QLocale, locale);
        if (!content.isEmpty())
            writeDataFile(content);
        Localization::install(locale);
        auto [store, log] = startLogged();
        Localization::install(QLocale(QLocale::English));
        QCOMPARE(log, QByteArray());
        QTEST(names(store->groups()), "name");
        QCOMPARE(store->selectedGroupID(), store->groups().first().id);
        QCOMPARE(store->saveURL(), QUrl::fromLocalFile(dataFile()));
        QCOMPARE(fileBytes(*store), content);

        store->addGroup(QStringLiteral("Work"));
        QCOMPARE(fileGroups(*store), store->groups());
        QCOMPARE(store->selectedGroupID(), store->groups().last().id);
        const QList<NookGroup> saved = store->groups();
        store.reset();
        NookStore restarted;
        QCOMPARE(restarted.groups(), saved);
        QCOMPARE(restarted.selectedGroupID(), saved.first().id);
    }

    // Anything that cannot be read, also what is no regular file (it neither hangs the start
    // nor is read without end), is logged, set aside at the first change, never lost, and a
    // copy kept earlier is not overwritten.
    void setsAsideWhatItCannotRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("keptAs");
        QTest::newRow("not a UUID") << "[{\"id\":\"x\",\"name\":\"Mine\",\"items\":[]}]"
                                    << ".unreadable";
        QTest::newRow("garbage, a copy kept before") << "garbage"
                                                     << ".unreadable-2";
        QTest::newRow("fifo") << "fifo"
                              << ".unreadable";
        QTest::newRow("folder") << "folder"
                                << ".unreadable";
        QTest::newRow("symlink to a device") << "device"
                                             << ".unreadable";
    }
    void setsAsideWhatItCannotRead() {
        QFETCH(QString, kind);
        QFETCH(QString, keptAs);
        const QByteArray path = QFile::encodeName(dataFile());
        QDir().mkpath(QFileInfo(dataFile()).path());
        const bool special = kind == u"fifo" || kind == u"folder" || kind == u"device";
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == u"folder")
            QVERIFY(QDir().mkpath(dataFile() + QStringLiteral("/inside")));
        else if (kind == u"device")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dataFile()));
        else
            writeDataFile(kind.toUtf8());
        if (keptAs.endsWith(u'2'))
            m_env->makeFile(QStringLiteral(".local/share/Tuckaway/nooks.json.unreadable"), "first");

        auto [store, log] = startLogged();
        QVERIFY2(log.startsWith(QStringLiteral(u"Tuckaway: Laden fehlgeschlagen \u2013 ").toUtf8()),
                 log.constData());
        QCOMPARE(log.count('\n'), 1);
        QCOMPARE(names(store->groups()), QStringLiteral("Favorites"));
        if (!special)
            QCOMPARE(fileBytes(*store), kind.toUtf8()); // untouched until the first change

        store->addGroup(QStringLiteral("New"));
        QCOMPARE(fileGroups(*store).size(), 2);
        QVERIFY(QFileInfo(dataFile()).isFile() && !QFileInfo(dataFile()).isSymLink());
        const QFileInfo kept(dataFile() + keptAs);
        QCOMPARE(store->keptUnreadableFile(), kept.filePath());
        QCOMPARE(kept.isSymLink(), kind == u"device");
        QCOMPARE(kept.isDir(), kind == u"folder");
        QVERIFY(kept.exists());
        if (!special) {
            QFile copy(kept.filePath());
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), kind.toUtf8());
        }
        if (keptAs.endsWith(u'2')) {
            QFile first(dataFile() + QStringLiteral(".unreadable"));
            QVERIFY(first.open(QIODevice::ReadOnly));
            QCOMPARE(first.readAll(), QByteArray("first"));
        }
    }

    // A folder left open by an earlier start becomes private; a symlinked folder and data
    // file are followed, never replaced.
    void keepsItsFilesPrivateAndFollowsSymlinks() {
        const QString elsewhere = m_env->makeFolder(QStringLiteral("dotfiles/tuckaway"));
        ::chmod(QFile::encodeName(elsewhere).constData(), 0755);
        QDir().mkpath(m_env->dataHome());
        QVERIFY(QFile::link(elsewhere, m_env->dataHome() + QStringLiteral("/Tuckaway")));
        const QString realFile = m_env->makeFile(QStringLiteral("dotfiles/nooks.json"), "[]");
        QVERIFY(QFile::link(realFile, elsewhere + QStringLiteral("/nooks.json")));
        {
            NookStore store;
            store.addGroup(QStringLiteral("Private"));
        }
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(elsewhere).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);
        QVERIFY(QFileInfo(dataFile()).isSymLink());
        QVERIFY(QFileInfo(m_env->dataHome() + QStringLiteral("/Tuckaway")).isSymLink());
        QFile saved(realFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(NookCodec::decode(saved.readAll())->size(), 2);
        QCOMPARE(::stat(QFile::encodeName(realFile).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }

    // A write that fails (here: the file size limit, as a full disk would) leaves the old
    // file whole, is reported, and what it held is written once writing works again.
    void aFailedWriteNeverReplacesTheFile() {
        auto store = std::make_unique<NookStore>();
        store->renameGroup(store->groups().first().id, QString(300, u'a'));
        const QByteArray before = fileBytes(*store);
        QSignalSpy failed(store.get(), &NookStore::saveFailed);
        QByteArray log;
        {
            StdoutCapture out;
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            const rlimit unlimited = limit;
            limit.rlim_cur = rlim_t(before.size() + 100);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            store->addGroup(QString(200, u'b'));
            store->waitForSaves();
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
            log = out.text();
        }
        QVERIFY2(log.startsWith(QStringLiteral(u"Tuckaway: Speichern fehlgeschlagen \u2013 ").toUtf8()),
                 log.constData());
        QCOMPARE(log.count('\n'), 1);
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(fileBytes(*store), before);
        QCOMPARE(QDir(QFileInfo(dataFile()).path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("nooks.json")});
        QCOMPARE(store->groups().size(), 2);

        store.reset(); // quitting tries once more
        QCOMPARE(NookCodec::decode(fileBytes(*std::make_unique<NookStore>()))->size(), 2);
    }

    // Many changes in a row, then the end: the file holds the last of them.
    void quittingWaitsForTheLastWrite() {
        auto store = std::make_unique<NookStore>();
        const QUuid group = store->groups().first().id;
        for (int i = 0; i < 200; ++i)
            store->addItem(NookItem{QUuid::createUuid(), QString::number(i), QByteArray(2000, 'x')}, group);
        const QList<NookGroup> last = store->groups();
        store.reset();
        QFile file(dataFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(NookCodec::decode(file.readAll()), last);
    }

    // Only temporary files a killed save of ours left go at start: not a link, not other names.
    void removesStaleTemporaryFiles() {
        const QString folder = QFileInfo(dataFile()).path();
        for (const char* name :
             {"nooks.json.-x-y-z", "nooks.json.Ab3dE9", "nooks.json.unreadable", "nooks.json.abc",
              "nooks.json.Ab3dE9x", "other.json.Ab3dE9", "nooks.json.zZ9zZ9"})
            m_env->makeFile(QStringLiteral(".local/share/Tuckaway/") + QLatin1String(name));
        QVERIFY(QFile::link(m_env->makeFile(QStringLiteral("mine.txt")),
                            folder + QStringLiteral("/nooks.json.Lnk123")));
        NookStore store;
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System).join(u' '),
                 QStringLiteral("nooks.json.-x-y-z nooks.json.Ab3dE9x nooks.json.abc nooks.json.Lnk123 "
                                "nooks.json.unreadable other.json.Ab3dE9"));
    }

    void unknownIdsChangeNothingAndWriteNothing() {
        NookStore store;
        QSignalSpy changed(&store, &NookStore::groupsChanged);
        const QUuid unknown = QUuid::createUuid();
        store.renameGroup(unknown, QStringLiteral("x"));
        store.addItem(NookItem{QUuid::createUuid(), QStringLiteral("i"), "/"}, unknown);
        store.removeItem(QUuid::createUuid(), unknown);
        store.moveItems(unknown, {0}, 1);
        store.moveGroup(unknown, store.groups().first().id);
        store.addURLs({file(QStringLiteral("f.txt"))}, unknown);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!QFile::exists(dataFile()));
    }

    // Deleting another group keeps the selection; deleting the selected one selects the
    // first that remains; with none left, nothing is selected and nothing can be added.
    void deletingMovesTheSelectionOnlyWhenItWasSelected() {
        auto store = storeWith(QStringLiteral("ABC"));
        const QUuid a = store->groups().at(0).id, b = store->groups().at(1).id, c = store->groups().at(2).id;
        QCOMPARE(store->selectedGroupID(), c);
        QSignalSpy selection(store.get(), &NookStore::selectedGroupIDChanged);

        store->deleteGroup(a);
        QCOMPARE(store->selectedGroupID(), c);
        QCOMPARE(selection.count(), 0);
        store->deleteGroup(store->groups().last().id); // an id read from the list it leaves
        QCOMPARE(store->selectedGroupID(), b);
        store->deleteGroup(QUuid::createUuid()); // removes nothing but still saves
        QCOMPARE(names(fileGroups(*store)), QStringLiteral("B"));

        store->deleteGroup(b);
        QCOMPARE(store->selectedGroupID(), std::nullopt);
        QCOMPARE(store->selectedGroup(), std::nullopt);
        store->addURLsToSelectedGroup({file(QStringLiteral("x.txt"))});
        QVERIFY(store->groups().isEmpty());
        QCOMPARE(fileBytes(*store), QByteArray("[]"));
        NookStore restarted; // the next start makes the default group again
        QCOMPARE(names(restarted.groups()), QStringLiteral("Favorites"));
    }

    // Written also when nothing moved.
    void movesItemsByOffsets_data() {
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("expected");
        QTest::newRow("A before D") << QList<int>{0} << 3 << "BCAD";
        QTest::newRow("D to the front") << QList<int>{3} << 0 << "DABC";
        QTest::newRow("B onto itself") << QList<int>{1} << 2 << "ABCD";
        QTest::newRow("to the end") << QList<int>{1} << 4 << "ACDB";
        QTest::newRow("two at once") << QList<int>{0, 2} << 4 << "BDAC";
    }
    void movesItemsByOffsets() {
        QFETCH(QList<int>, offsets);
        QFETCH(int, destination);
        auto store = storeWith(QStringLiteral("G"), QStringLiteral("ABCD"));
        QSignalSpy changed(store.get(), &NookStore::groupsChanged);
        store->moveItems(store->groups().first().id, std::set<int>(offsets.begin(), offsets.end()),
                         destination);
        QTEST(names(store->groups().first().items).remove(u' '), "expected");
        QTEST(names(fileGroups(*store).first().items).remove(u' '), "expected");
        QCOMPARE(changed.count(), 1);
    }

    void movesGroupsToTheTargetsPlace_data() {
        QTest::addColumn<int>("dragged");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("expected");
        QTest::newRow("A onto C") << 0 << 2 << "BCA";
        QTest::newRow("C onto A") << 2 << 0 << "CAB";
        QTest::newRow("A onto B") << 0 << 1 << "BAC";
        QTest::newRow("A onto itself") << 0 << 0 << "ABC";
    }
    void movesGroupsToTheTargetsPlace() {
        QFETCH(int, dragged);
        QFETCH(int, target);
        auto store = storeWith(QStringLiteral("ABC"));
        store->moveGroup(store->groups().at(dragged).id, store->groups().at(target).id);
        QTEST(names(store->groups()).remove(u' '), "expected");
        QTEST(names(fileGroups(*store)).remove(u' '), "expected");
    }

    void namesItemsAfterTheirTargets_data() {
        QTest::addColumn<QString>("path"); // a trailing "/" makes a folder
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::newRow("document") << "docs/Report.pdf" << QByteArray() << "Report";
        QTest::newRow("two extensions") << "docs/archive.tar.gz" << QByteArray() << "archive.tar";
        QTest::newRow("hidden file") << "docs/.bashrc" << QByteArray() << ".bashrc";
        QTest::newRow("no extension") << "docs/Makefile" << QByteArray() << "Makefile";
        QTest::newRow("trailing dot") << "docs/odd." << QByteArray() << "odd.";
        QTest::newRow("non-ASCII") << "docs/Übersicht 2024.ods" << QByteArray() << "Übersicht 2024";
        QTest::newRow("folder") << "v1.2/" << QByteArray() << "v1";
        QTest::newRow("application")
            << "apps/org.example.Viewer.desktop"
            << QByteArray("[Desktop Entry]\nType=Application\nName=Picture Viewer\nExec=true %U\n")
            << "Picture Viewer";
        QTest::newRow("not a valid entry") << "apps/broken.desktop" << QByteArray("nonsense") << "broken";
    }
    void namesItemsAfterTheirTargets() {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        const QString made = path.endsWith(u'/') ? m_env->makeFolder(path) + u'/'
                                                 : m_env->makeFile(path, content.isEmpty() ? "x" : content);
        QTEST(NookStore::itemName(QUrl::fromLocalFile(made)), "name");
    }

    // One hand-over adds its new files in order, skips what the group or the batch itself
    // holds already (also through "." and ".." forms and after a move), and notifies and
    // writes once; another group may hold the same file.
    void handOverIsOneBatch_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("handed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("rejected");
        const auto list = [](const char* text) {
            return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
        };
        QTest::newRow("order kept") << list("") << list("c.txt a.txt b.txt") << "c a b" << 0 << 0;
        QTest::newRow("twice in one batch") << list("") << list("a.txt b.txt a.txt") << "a b" << 1 << 0;
        QTest::newRow("dot forms of a kept file")
            << list("docs/Report.pdf") << list("docs/sub/../Report.pdf docs/./Report.pdf new.txt")
            << "Report new" << 2 << 0;
        QTest::newRow("dot form within the batch")
            << list("") << list("docs/r.pdf docs/sub/.././r.pdf") << "r" << 1 << 0;
        QTest::newRow("a duplicate in the middle")
            << list("b.txt") << list("a.txt b.txt c.txt") << "b a c" << 1 << 0;
        QTest::newRow("missing files and other schemes")
            << list("x.txt") << list("gone.txt https://example.org/y.pdf y.txt") << "x y" << 0 << 2;
        QTest::newRow("moved since it was added")
            << list("p/plan.txt") << list("moved/plan.txt") << "plan" << 1 << 0;
        QTest::newRow("in another group") << list("other:r.txt") << list("r.txt") << "r" << 0 << 0;
    }
    void handOverIsOneBatch() {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, handed);
        const auto urls = [this](const QStringList& paths) {
            QList<QUrl> result;
            for (const QString& path : paths) {
                if (path.contains(QLatin1String("://")))
                    result << QUrl(path);
                else if (path.startsWith(QLatin1String("gone")) || path.startsWith(QLatin1String("moved")))
                    result << QUrl::fromLocalFile(m_env->home() + u'/' + path);
                else
                    result << QUrl::fromLocalFile(m_env->makeFile(path.section(u':', -1)));
            }
            return result;
        };
        auto store = storeWith(QStringLiteral("GO"));
        const QUuid group = store->groups().first().id;
        const bool elsewhere = existing.value(0).startsWith(QLatin1String("other:"));
        store->addURLs(urls(existing), elsewhere ? store->groups().last().id : group);
        if (handed.first().startsWith(QLatin1String("moved")))
            QVERIFY(QDir(m_env->home()).rename(QStringLiteral("p"), QStringLiteral("moved")));
        const int savesBefore = store->savesStarted();
        QSignalSpy changed(store.get(), &NookStore::groupsChanged);

        const HandOverResult result = store->addURLs(urls(handed), group);
        QTEST(names(store->groups().first().items), "expected");
        QTEST(names(fileGroups(*store).first().items), "expected");
        QTEST(int(result.duplicates.size()), "duplicates");
        QTEST(int(result.rejected.size()), "rejected");
        QCOMPARE(result.added.size() + result.duplicates.size() + result.rejected.size(), handed.size());
        const int writes = result.added.isEmpty() ? 0 : 1;
        QCOMPARE(store->savesStarted() - savesBefore, writes);
        QCOMPARE(changed.count(), writes);
    }

    // Background hand-overs are applied in the order made, each checked against what the
    // group gained meanwhile; at quit the ones under way are completed at once.
    void backgroundHandOversKeepOrderAndSeeLaterItems() {
        NookStore store;
        const QUuid group = store.groups().first().id;
        const QUrl a = file(QStringLiteral("a.txt")), b = file(QStringLiteral("b.txt")),
                   c = file(QStringLiteral("c.txt")), d = file(QStringLiteral("d.txt"));
        QSignalSpy finished(&store, &NookStore::handOverFinished);
        store.handOver({b, a}, group);
        store.addURLs({b}, group); // a drop while the first is prepared
        store.handOver({c, a}, group);
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(names(fileGroups(store).first().items), QStringLiteral("b a c"));
        const auto first = finished.first().first().value<HandOverResult>();
        QCOMPARE(first.added, QList<QUrl>{a});
        QCOMPARE(first.duplicates, QList<QUrl>{b});

        store.handOver({d}, group);
        store.completeHandOvers();
        QCOMPARE(names(fileGroups(store).first().items), QStringLiteral("b a c d"));
    }

    void notifiesInPlaceChangesButNotEqualAssignments() {
        NookStore store;
        QSignalSpy changed(&store, &NookStore::groupsChanged);
        QSignalSpy selection(&store, &NookStore::selectedGroupIDChanged);
        const NookGroup group = store.groups().first();

        store.renameGroup(group.id, group.name); // same name, still a change in place
        QCOMPARE(changed.count(), 1);
        store.setGroups(store.groups()); // an equal whole value
        QCOMPARE(changed.count(), 1);
        store.setGroups({group, NookGroup{QUuid::createUuid(), QStringLiteral("x"), {}}});
        QCOMPARE(changed.count(), 2);
        QCOMPARE(fileGroups(store).size(), 2);
        QCOMPARE(selection.count(), 0);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestNookStore)
#include "tst_nookstore.moc"
