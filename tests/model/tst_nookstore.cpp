#include "Localization.h"
#include "NookCodec.h"
#include "NookStore.h"
#include "StdoutCapture.h"
#include "TestEnvironment.h"

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
    static QStringList names(const NookGroup& group) {
        QStringList result;
        for (const NookItem& item : group.items)
            result << item.name;
        return result;
    }
    static QStringList names(const QList<NookGroup>& groups) {
        QStringList result;
        for (const NookGroup& group : groups)
            result << group.name;
        return result;
    }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::English)); }
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void firstStartMakesADefaultGroupButWritesNothing() {
        NookStore store;
        QCOMPARE(store.groups().size(), 1);
        QCOMPARE(store.groups().first().name, QStringLiteral("Favorites"));
        QCOMPARE(store.selectedGroupID(), store.groups().first().id);
        QCOMPARE(store.saveURL(), QUrl::fromLocalFile(dataFile()));
        QVERIFY(!QFile::exists(dataFile()));

        store.addGroup(QStringLiteral("Work"));
        QCOMPARE(names(fileGroups(store)),
                 QStringList({QStringLiteral("Favorites"), QStringLiteral("Work")}));
        QCOMPARE(store.selectedGroupID(), store.groups().last().id);
    }

    void emptyListStartsLikeAFirstStart() {
        writeDataFile("[]");
        StdoutCapture out;
        NookStore store;
        QCOMPARE(out.text(), QByteArray());
        QCOMPARE(names(store.groups()), QStringList({QStringLiteral("Favorites")}));
        QCOMPARE(fileBytes(store), QByteArray("[]"));
    }

    void defaultNameComesFromTheCatalogAtStartUp() {
        Localization::install(QLocale(QLocale::German));
        NookStore store;
        Localization::install(QLocale(QLocale::English));
        QCOMPARE(store.groups().first().name, QStringLiteral("Favoriten"));
    }

    void keepsAnUnreadableFileBeforeReplacingIt() {
        const QByteArray broken = "[{\"id\":\"not-a-uuid\",\"name\":\"Mine\",\"items\":[]}]";
        writeDataFile(broken);
        QByteArray log;
        std::unique_ptr<NookStore> store;
        {
            StdoutCapture out;
            store = std::make_unique<NookStore>();
            log = out.text();
        }
        QVERIFY2(log.startsWith(QStringLiteral(u"Tuckaway: Laden fehlgeschlagen \u2013 group 1").toUtf8()),
                 log.constData());
        QVERIFY(log.endsWith('\n') && log.count('\n') == 1);
        QCOMPARE(names(store->groups()), QStringList({QStringLiteral("Favorites")}));
        QCOMPARE(fileBytes(*store), broken); // untouched until the first change

        store->addGroup(QStringLiteral("New"));
        QCOMPARE(names(fileGroups(*store)),
                 QStringList({QStringLiteral("Favorites"), QStringLiteral("New")}));
        QFile kept(dataFile() + QStringLiteral(".unreadable"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), broken);
        QCOMPARE(store->keptUnreadableFile(), kept.fileName());

        // A second broken file does not overwrite the first copy.
        writeDataFile("garbage");
        NookStore again;
        again.renameGroup(again.groups().first().id, QStringLiteral("x"));
        QFile second(dataFile() + QStringLiteral(".unreadable-2"));
        QVERIFY(second.open(QIODevice::ReadOnly));
        QCOMPARE(second.readAll(), QByteArray("garbage"));
        QVERIFY(kept.seek(0));
        QCOMPARE(kept.readAll(), broken);
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

    // Anything but a regular file in the data file's place is unreadable: it neither
    // hangs the start nor is read without end, and it is moved aside, not lost.
    void hostileDataFilesAreSetAside_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("symlink to a device") << "device";
    }
    void hostileDataFilesAreSetAside() {
        QFETCH(QString, kind);
        const QByteArray path = QFile::encodeName(dataFile());
        QDir().mkpath(QFileInfo(dataFile()).path());
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(dataFile() + QStringLiteral("/inside")));
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dataFile()));
        QByteArray log;
        std::unique_ptr<NookStore> store;
        {
            StdoutCapture out;
            store = std::make_unique<NookStore>();
            log = out.text();
        }
        QVERIFY2(log.startsWith(QStringLiteral(u"Tuckaway: Laden fehlgeschlagen \u2013 ").toUtf8()),
                 log.constData());
        QCOMPARE(names(store->groups()), QStringList({QStringLiteral("Favorites")}));

        store->addGroup(QStringLiteral("New"));
        QCOMPARE(fileGroups(*store).size(), 2);
        QVERIFY(QFileInfo(dataFile()).isFile() && !QFileInfo(dataFile()).isSymLink());
        const QFileInfo kept(store->keptUnreadableFile());
        QCOMPARE(kept.filePath(), dataFile() + QStringLiteral(".unreadable"));
        QCOMPARE(kept.isSymLink(), kind == QLatin1String("device"));
        QCOMPARE(kept.isDir(), kind == QLatin1String("folder"));
        QVERIFY(kept.exists());
    }

    // Only temporary files a killed save of ours left go at start.
    void removesStaleTemporaryFiles() {
        const QString folder = QFileInfo(dataFile()).path();
        for (const char* name : {"nooks.json.Ab3dE9", "nooks.json.unreadable", "nooks.json.abc",
                                 "nooks.json.Ab3dE9x", "other.json.Ab3dE9"})
            m_env->makeFile(QStringLiteral(".local/share/Tuckaway/") + QLatin1String(name));
        NookStore store;
        QCOMPARE(QDir(folder).entryList(QDir::Files).join(u' '),
                 QStringLiteral("nooks.json.Ab3dE9x nooks.json.abc nooks.json.unreadable other.json.Ab3dE9"));
    }

    void reloadsWhatItSaved() {
        QList<NookGroup> saved;
        {
            NookStore store;
            store.addGroup(QStringLiteral("Zwei"));
            store.addURLs({file(QStringLiteral("a/Report.pdf"))}, store.groups().last().id);
            saved = store.groups();
        }
        NookStore store;
        QCOMPARE(store.groups(), saved);
        QCOMPARE(store.selectedGroupID(), saved.first().id);
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

        store.deleteGroup(unknown); // removes nothing but still saves
        QCOMPARE(store.groups().size(), 1);
        store.waitForSaves();
        QVERIFY(QFile::exists(dataFile()));
    }

    void namesAreStoredAsGiven() {
        NookStore store;
        const QUuid id = store.groups().first().id;
        for (const QString& name : {QString(), QStringLiteral("   "), QStringLiteral(" padded\t")}) {
            store.renameGroup(id, name);
            QCOMPARE(fileGroups(store).first().name, name);
        }
    }

    void deletingMovesTheSelection() {
        NookStore store;
        const QUuid first = store.groups().first().id;
        store.addGroup(QStringLiteral("B"));
        const QUuid second = store.groups().last().id;
        QSignalSpy selection(&store, &NookStore::selectedGroupIDChanged);

        store.deleteGroup(first); // not selected: selection stays
        QCOMPARE(store.selectedGroupID(), second);
        QCOMPARE(selection.count(), 0);

        store.addGroup(QStringLiteral("C"));
        store.deleteGroup(store.groups().last().id); // selected: the first remaining takes over
        QCOMPARE(store.selectedGroupID(), second);

        store.deleteGroup(second); // the last group
        QVERIFY(store.groups().isEmpty());
        QCOMPARE(store.selectedGroupID(), std::nullopt);
        QCOMPARE(store.selectedGroup(), std::nullopt);
        QCOMPARE(fileBytes(store), QByteArray("[]"));

        store.addURLsToSelectedGroup({file(QStringLiteral("x.txt"))});
        QVERIFY(store.groups().isEmpty());
        QCOMPARE(fileBytes(store), QByteArray("[]"));

        NookStore restarted; // the next start makes the default group again
        QCOMPARE(names(restarted.groups()), QStringList({QStringLiteral("Favorites")}));
    }

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
        QFETCH(QString, expected);
        NookStore store;
        const QUuid group = store.groups().first().id;
        for (const QChar letter : QStringLiteral("ABCD"))
            store.addItem(NookItem{QUuid::createUuid(), QString(letter), "/"}, group);
        store.waitForSaves();
        QFile::remove(dataFile());
        QSignalSpy changed(&store, &NookStore::groupsChanged);

        store.moveItems(group, std::set<int>(offsets.begin(), offsets.end()), destination);
        QCOMPARE(names(store.groups().first()).join(QString()), expected);
        QCOMPARE(names(fileGroups(store).first()).join(QString()),
                 expected); // written, also when nothing moved
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
        QFETCH(QString, expected);
        NookStore store;
        store.renameGroup(store.groups().first().id, QStringLiteral("A"));
        store.addGroup(QStringLiteral("B"));
        store.addGroup(QStringLiteral("C"));
        store.waitForSaves();
        QFile::remove(dataFile());
        store.moveGroup(store.groups().at(dragged).id, store.groups().at(target).id);
        QCOMPARE(names(store.groups()).join(QString()), expected);
        QCOMPARE(names(fileGroups(store)).join(QString()), expected);
    }

    void namesItemsAfterTheirFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("document") << "docs/Report.pdf"
                                  << "Report";
        QTest::newRow("two extensions") << "docs/archive.tar.gz"
                                        << "archive.tar";
        QTest::newRow("hidden file") << "docs/.bashrc"
                                     << ".bashrc";
        QTest::newRow("no extension") << "docs/Makefile"
                                      << "Makefile";
        QTest::newRow("trailing dot") << "docs/odd."
                                      << "odd.";
        QTest::newRow("non-ASCII") << "docs/Übersicht 2024.ods"
                                   << "Übersicht 2024";
    }

    void namesItemsAfterTheirFiles() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(NookStore::itemName(file(path)), name);
    }

    void namesFoldersAndApplications() {
        const QString folder = m_env->makeFolder(QStringLiteral("v1.2"));
        QCOMPARE(NookStore::itemName(QUrl::fromLocalFile(folder + QLatin1Char('/'))), QStringLiteral("v1"));
        const QUrl entry = QUrl::fromLocalFile(m_env->makeFile(
            QStringLiteral("apps/org.example.Viewer.desktop"),
            "[Desktop Entry]\nType=Application\nName=Picture Viewer\nExec=true %U\nIcon=image-viewer\n"));
        QCOMPARE(NookStore::itemName(entry), QStringLiteral("Picture Viewer"));
        // Not a valid entry: named like any other file.
        const QUrl broken =
            QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("apps/broken.desktop"), "nonsense"));
        QCOMPARE(NookStore::itemName(broken), QStringLiteral("broken"));
    }

    // One hand-over adds its new files in order, skips what the group or the batch itself
    // holds already (also through "." and ".." forms), and notifies and writes once.
    void handOverIsOneBatch_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("handed");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("rejected");
        const auto list = [](const char* text) {
            return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
        };
        QTest::newRow("order kept") << list("") << list("c.txt a.txt b.txt") << list("c a b") << 0 << 0;
        QTest::newRow("twice in one batch") << list("") << list("a.txt b.txt a.txt") << list("a b") << 1 << 0;
        QTest::newRow("dot forms of a kept file")
            << list("docs/Report.pdf") << list("docs/sub/../Report.pdf docs/./Report.pdf new.txt")
            << list("Report new") << 2 << 0;
        QTest::newRow("dot form within the batch")
            << list("") << list("docs/r.pdf docs/sub/.././r.pdf") << list("r") << 1 << 0;
        QTest::newRow("missing files and other schemes")
            << list("x.txt") << list("gone.txt https://example.org/y.pdf y.txt") << list("x y") << 0 << 2;
        QTest::newRow("nothing new") << list("x.txt") << list("x.txt") << list("x") << 1 << 0;
    }
    void handOverIsOneBatch() {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, handed);
        const auto urls = [this](const QStringList& paths) {
            QList<QUrl> result;
            for (const QString& path : paths) {
                if (path.contains(QLatin1String("://")))
                    result << QUrl(path);
                else if (path.startsWith(QLatin1String("gone")))
                    result << QUrl::fromLocalFile(m_env->home() + u'/' + path);
                else
                    result << QUrl::fromLocalFile(m_env->makeFile(path));
            }
            return result;
        };
        NookStore store;
        const QUuid group = store.groups().first().id;
        store.addURLs(urls(existing), group);
        const int savesBefore = store.savesStarted();
        QSignalSpy changed(&store, &NookStore::groupsChanged);

        const HandOverResult result = store.addURLs(urls(handed), group);
        QFETCH(QStringList, expected);
        QCOMPARE(names(store.groups().first()), expected);
        QCOMPARE(names(fileGroups(store).first()), expected);
        QTEST(int(result.duplicates.size()), "duplicates");
        QTEST(int(result.rejected.size()), "rejected");
        QCOMPARE(result.added.size() + result.duplicates.size() + result.rejected.size(), handed.size());
        const int writes = result.added.isEmpty() ? 0 : 1;
        QCOMPARE(store.savesStarted() - savesBefore, writes);
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
        store.handOver({a, b}, group);
        store.addURLs({b}, group); // a drop while the first is prepared
        store.handOver({c, a}, group);
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(names(fileGroups(store).first()),
                 QStringList({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
        const auto first = finished.first().first().value<HandOverResult>();
        QCOMPARE(first.added, QList<QUrl>{a});
        QCOMPARE(first.duplicates, QList<QUrl>{b});

        store.handOver({d}, group);
        store.completeHandOvers();
        QCOMPARE(names(fileGroups(store).first()).last(), QStringLiteral("d"));
    }

    void anotherGroupMayHoldTheSameFile() {
        NookStore store;
        const QUrl report = file(QStringLiteral("docs/Report.pdf"));
        store.addURLs({report}, store.groups().first().id);
        store.addGroup(QStringLiteral("Other"));
        QCOMPARE(store.addURLsToSelectedGroup({report}).added, QList<QUrl>{report});
        QCOMPARE(names(fileGroups(store).last()), QStringList{QStringLiteral("Report")});
    }

    void aMovedTargetIsStillADuplicate() {
        NookStore store;
        const QUuid group = store.groups().first().id;
        store.addURLs({file(QStringLiteral("Documents/plan.txt"))}, group);
        m_env->makeFolder(QStringLiteral("Documents/2026"));
        QVERIFY(QFile::rename(m_env->home() + QStringLiteral("/Documents/plan.txt"),
                              m_env->home() + QStringLiteral("/Documents/2026/plan.txt")));
        store.addURLs({QUrl::fromLocalFile(m_env->home() + QStringLiteral("/Documents/2026/plan.txt"))},
                      group);
        QCOMPARE(store.groups().first().items.size(), 1);
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
        store.addGroup(QStringLiteral("y"));
        QCOMPARE(selection.count(), 1);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestNookStore)
#include "tst_nookstore.moc"
