#include "StdoutCapture.h"
#include "TestEnvironment.h"
#include "model/Bookmarks.h"
#include "model/HandOverQueue.h"
#include "model/ItemOrder.h"
#include "model/NookCodec.h"
#include "model/NookStore.h"
#include "platform/AtomicFile.h"
#include "platform/Localization.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestNookStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QString dataFile() const { return m_env->dataHome() + u"/Tuckaway/nooks.json"_s; }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // What the file holds once the store's writes are done.
    QByteArray fileBytes(NookStore& store) const {
        store.waitForSaves();
        return contents(dataFile());
    }
    QList<NookGroup> fileGroups(NookStore& store) const {
        return NookCodec::decode(fileBytes(store)).value_or(QList<NookGroup>());
    }
    QUrl file(const QString& relative) const { return QUrl::fromLocalFile(m_env->makeFile(relative)); }
    template <typename T> static QString names(const QList<T>& list) {
        QStringList result;
        for (const T& each : list)
            result << each.name;
        return result.join(u' ');
    }
    // A store whose groups are named by the letters of `groups`, the first holding items named by the letters
    // of `items`; its file is removed, so a test sees its own write.
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
    // One hand-over through the queue, waited for.
    static HandOverResult handOver(NookStore& store, const QList<QUrl>& urls,
                                   const HandOverTarget& target = HandOverTarget::current()) {
        QSignalSpy finished(&store.handOvers(), &HandOverQueue::finished);
        store.handOvers().add(urls, target);
        store.handOvers().complete();
        return finished.isEmpty() ? HandOverResult() : finished.last().at(1).value<HandOverResult>();
    }
    // Nooks from a line like "A:ab T=A:a C:": one a word, named before the colon ("T=A": named T, with the
    // id A had), holding items named by the letters after it (each for the file "/<letter>"). Names met
    // while `m_ids` is open keep their id in later lines; others get a new one, so an item added on two
    // sides is one file under two ids.
    QHash<QString, QUuid> m_ids;
    bool m_idsOpen = false;
    QList<NookGroup> nooks(const QString& line) {
        const auto id = [this](const QString& name) {
            if (m_idsOpen && !m_ids.contains(name))
                m_ids.insert(name, QUuid::createUuid());
            return m_ids.value(name, QUuid::createUuid());
        };
        QList<NookGroup> groups;
        for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
            const QString head = word.section(u':', 0, 0);
            NookGroup group{id(head.section(u'=', -1)), head.section(u'=', 0, 0), {}};
            for (const QChar letter : word.section(u':', 1))
                group.items << NookItem{id(letter), letter, u'/' + QByteArray(1, char(letter.unicode()))};
            groups << group;
        }
        return groups;
    }
    static QString line(const QList<NookGroup>& groups) {
        QStringList words;
        for (const NookGroup& group : groups)
            words << group.name + u':' + names(group.items).remove(u' ');
        return words.join(u' ');
    }
    // As sync tools and git do: a new file, renamed over the old one.
    static void replaceFromElsewhere(const QString& path, const QByteArray& bytes) {
        QFile file(path + u".sync-tmp"_s);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QCOMPARE(
            ::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()), 0);
    }
    static uint mode(const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }

private slots:
    void initTestCase() { Localization::install(QLocale(QLocale::English)); }
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // No file or an empty list gives one default group, named from the catalog. So does anything that cannot
    // be read, also what is no regular file (a fifo must not hang the start), and it is logged. Nothing is
    // written until the first change, which sets the unreadable aside, never over a copy kept earlier.
    void startsFromWhatItFinds_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("keptAs"); // nothing when it could be read
        QTest::newRow("first start") << QString() << QString();
        QTest::newRow("empty list") << u"[]"_s << QString();
        QTest::newRow("not a UUID") << uR"([{"id":"x","name":"Mine","items":[]}])"_s << u".unreadable"_s;
        QTest::newRow("garbage, a copy kept before") << u"garbage"_s << u".unreadable-2"_s;
        QTest::newRow("fifo") << u"fifo"_s << u".unreadable"_s;
        QTest::newRow("folder") << u"folder"_s << u".unreadable"_s;
    }
    void startsFromWhatItFinds() {
        QFETCH(QString, kind);
        QFETCH(QString, keptAs);
        QDir().mkpath(QFileInfo(dataFile()).path());
        const bool special = kind == u"fifo" || kind == u"folder";
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(dataFile()).constData(), 0600), 0);
        else if (kind == u"folder")
            QVERIFY(QDir().mkpath(dataFile() + u"/inside"_s));
        else if (!kind.isEmpty())
            m_env->makeFile(u".local/share/Tuckaway/nooks.json"_s, kind.toUtf8());
        if (keptAs.endsWith(u'2'))
            m_env->makeFile(u".local/share/Tuckaway/nooks.json.unreadable"_s, "first");

        std::unique_ptr<NookStore> store;
        const QByteArray log = stdoutOf([&] { store = std::make_unique<NookStore>(); });
        QCOMPARE(log.startsWith(u"Tuckaway: Laden fehlgeschlagen \u2013 "_s.toUtf8()), !keptAs.isEmpty());
        QCOMPARE(log.count('\n'), keptAs.isEmpty() ? 0 : 1);
        QCOMPARE(names(store->groups()), u"Favorites"_s);
        QCOMPARE(store->selectedGroupID(), store->groups().first().id);
        if (!special)
            QCOMPARE(fileBytes(*store), kind.toUtf8());

        store->addGroup(u"Work"_s);
        QCOMPARE(store->keptUnreadableFile(), keptAs.isEmpty() ? QString() : dataFile() + keptAs);
        const QList<NookGroup> saved = store->groups();
        store.reset();
        QCOMPARE(NookStore().groups(), saved);
        if (keptAs.isEmpty())
            return;
        const QFileInfo kept(dataFile() + keptAs);
        QVERIFY(kept.exists());
        if (!special)
            QCOMPARE(contents(kept.filePath()), kind.toUtf8());
        if (keptAs.endsWith(u'2'))
            QCOMPARE(contents(dataFile() + u".unreadable"_s), QByteArray("first"));
    }

    // The data folder and file become private, also where they are links to elsewhere (kept with other
    // dotfiles), which stay links. Temporary files a killed save of ours left beside the file go at
    // start, but not a link, nor other names: a copy the user keeps beside it stays.
    void keepsItsFilesPrivateAndTidy_data() {
        QTest::addColumn<bool>("linked");
        QTest::newRow("in place") << false;
        QTest::newRow("folder and file linked") << true;
    }
    void keepsItsFilesPrivateAndTidy() {
        QFETCH(bool, linked);
        const QString folder =
            m_env->makeFolder(linked ? u"dotfiles/tuckaway"_s : u".local/share/Tuckaway"_s);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QString file = dataFile();
        if (linked) {
            QVERIFY(QFile::link(folder, m_env->makeFolder(u".local/share"_s) + u"/Tuckaway"_s));
            file = m_env->makeFile(u"dotfiles/nooks.json"_s, "[]");
            QVERIFY(QFile::link(file, folder + u"/nooks.json"_s));
        }
        const QDir beside = QFileInfo(file).dir();
        for (const char* name :
             {"nooks.json.backup", "nooks.json.old123", ".nooks.json.tuckaway-partial-Ab3dE9x2",
              ".nooks.json.tuckaway-partial-Ab3dE9x2z", ".other.json.tuckaway-partial-Ab3dE9x2",
              ".nooks.json.tuckaway-partial-zZ9zZ9zZ"})
            m_env->makeFile(beside.filePath(QLatin1String(name)));
        QVERIFY(QFile::link(m_env->makeFile(u"mine.txt"_s),
                            beside.filePath(u".nooks.json.tuckaway-partial-Lnk12345"_s)));
        NookStore store;
        QCOMPARE(beside.entryList({u"*.json.*"_s}, QDir::Files | QDir::System | QDir::Hidden).join(u' '),
                 u".nooks.json.tuckaway-partial-Ab3dE9x2z .nooks.json.tuckaway-partial-Lnk12345 "
                 ".other.json.tuckaway-partial-Ab3dE9x2 nooks.json.backup nooks.json.old123"_s);
        store.addGroup(u"Private"_s);
        QCOMPARE(fileGroups(store).size(), 2);
        QCOMPARE(QFileInfo(dataFile()).isSymLink() && QFileInfo(QFileInfo(dataFile()).path()).isSymLink(),
                 linked);
        QCOMPARE(mode(folder), 0700u);
        QCOMPARE(mode(file), 0600u);
    }

    // A write that fails (here: the file size limit, as a full disk would) leaves the old file whole, is
    // reported, and what it held is written once writing works again.
    void aFailedWriteNeverReplacesTheFile() {
        auto store = std::make_unique<NookStore>();
        store->renameGroup(store->groups().first().id, QString(300, u'a'));
        const QByteArray before = fileBytes(*store);
        QSignalSpy failed(store.get(), &NookStore::saveFailed);
        const QByteArray log = stdoutOf([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            const rlimit unlimited = limit;
            limit.rlim_cur = rlim_t(before.size() + 100);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            store->addGroup(QString(200, u'b'));
            store->waitForSaves();
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
        });
        QVERIFY2(log.startsWith(u"Tuckaway: Speichern fehlgeschlagen \u2013 "_s.toUtf8()), log.constData());
        QCOMPARE(log.count('\n'), 1);
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(fileBytes(*store), before);
        QCOMPARE(QDir(QFileInfo(dataFile()).path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"nooks.json"_s});

        store.reset(); // quitting tries once more
        QCOMPARE(NookCodec::decode(fileBytes(*std::make_unique<NookStore>()))->size(), 2);
    }

    // A version written elsewhere is loaded as the watch sees it, also one that kept its size and time (as a
    // sync tool's copy does); the current nook stays, and nothing is written back. Our own writes are no
    // change: each is on disk at the first try. An unreadable version replaces nothing and is kept before
    // our next write.
    void outsideVersionsAreLoaded_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("renamed over it") << u"rename"_s << u"A:a B:b C:c"_s;
        QTest::newRow("written in place") << u"in place"_s << u"A:a B:b C:c"_s;
        QTest::newRow("same size and time") << u"same time"_s << u"A:a X:b"_s;
        QTest::newRow("symlinked file, its target renamed over") << u"link"_s << u"A:a B:b C:c"_s;
        QTest::newRow("our own writes") << u"ours"_s << u"A:a B:b"_s;
        QTest::newRow("unreadable") << u"garbage"_s << u"A:a B:b"_s;
    }
    void outsideVersionsAreLoaded() {
        QFETCH(QString, how);
        QFETCH(QString, expected);
        QString file = dataFile();
        if (how == u"link") {
            file = m_env->makeFile(u"dotfiles/nooks.json"_s, "[]");
            QVERIFY(QDir().mkpath(QFileInfo(dataFile()).path()) && QFile::link(file, dataFile()));
        }
        NookStore store;
        m_idsOpen = true;
        store.setGroups(nooks(u"A:a B:b"_s));
        m_idsOpen = false;
        store.selectGroup(m_ids.value(u"B"_s));
        store.waitForSaves();
        QSignalSpy changed(&store, &NookStore::groupsChanged);
        QByteArray theirs = NookCodec::encode(nooks(how == u"same time" ? u"A:a X=B:b"_s : u"A:a B:b C:c"_s));
        const QDateTime time = QFileInfo(file).lastModified();
        if (how == u"in place") {
            QFile inPlace(file);
            QVERIFY(inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate) && inPlace.write(theirs) > 0);
        } else if (how == u"ours") {
            const quint64 first = store.save();
            store.waitForSaves();
            QCOMPARE(store.savedGeneration(), first);
            theirs = fileBytes(store);
        } else {
            replaceFromElsewhere(file, how == u"garbage" ? QByteArray("garbage") : theirs);
        }
        if (how == u"same time") {
            QFile copy(file);
            QVERIFY(copy.open(QIODevice::ReadWrite) &&
                    copy.setFileTime(time, QFileDevice::FileModificationTime));
        }
        if (expected == u"A:a B:b") {
            const QByteArray log = stdoutOf([&] {
                store.checkDataFile();
                store.waitForSaves();
            });
            QCOMPARE(changed.count(), 0);
            QCOMPARE(log.isEmpty(), how == u"ours");
            QCOMPARE(store.loadFailed(), how == u"garbage");
        }
        const auto stamp = AtomicFile::stampOf(file);
        QTRY_COMPARE(line(store.groups()), expected);
        QCOMPARE(store.selectedGroupID(), m_ids.value(u"B"_s));
        QCOMPARE(fileBytes(store), how == u"garbage" ? QByteArray("garbage") : theirs);
        QVERIFY(AtomicFile::stampOf(file) == stamp); // not even the same bytes written back
        store.addGroup(u"D"_s);
        QCOMPARE(line(fileGroups(store)), expected + u" D:"_s);
        QCOMPARE(contents(dataFile() + u".unreadable"_s),
                 how == u"garbage" ? QByteArray("garbage") : QByteArray());
    }

    // Changes of ours not yet on disk when another version arrives are merged into it by ids where only one
    // side added nooks or items; anything else keeps the other version beside the file and says so.
    void mergesWhatIsNotOnDiskYet_data() {
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("conflict");
        QTest::newRow("nook added there, item here") << "A:a B:b C:"
                                                     << "A:ax B:b"
                                                     << "A:ax B:b C:" << false;
        QTest::newRow("items added in two nooks") << "A:ay B:b"
                                                  << "A:a B:bx"
                                                  << "A:ay B:bx" << false;
        QTest::newRow("one file added on both sides") << "A:ax B:b"
                                                      << "A:ax B:b"
                                                      << "A:ax B:b" << false;
        QTest::newRow("renamed here, nook added there") << "A:a B:b C:c"
                                                        << "R=A:a B:b"
                                                        << "R:a B:b C:c" << false;
        QTest::newRow("removed there, added to here") << "A:a"
                                                      << "A:a B:bx"
                                                      << "A:a B:bx" << true;
        QTest::newRow("renamed on both sides") << "T=A:a B:by"
                                               << "R=A:a B:b"
                                               << "R:a B:by" << true;
        QTest::newRow("item removed there, nook here") << "A: B:b"
                                                       << "A:a B:b N:"
                                                       << "A: B:b N:" << false;
    }
    void mergesWhatIsNotOnDiskYet() {
        QFETCH(QString, theirs);
        QFETCH(QString, ours);
        QFETCH(bool, conflict);
        NookStore store;
        m_idsOpen = true;
        store.setGroups(nooks(u"A:a B:b"_s));
        m_idsOpen = false;
        store.waitForSaves();
        QSignalSpy kept(&store, &NookStore::conflictKept);
        const QList<NookGroup> other = nooks(theirs);
        replaceFromElsewhere(dataFile(), NookCodec::encode(other));
        store.setGroups(nooks(ours)); // before the watch can tell: the write finds the other version
        QTEST(line(fileGroups(store)), "expected");
        QTEST(line(store.groups()), "expected");
        QCOMPARE(kept.count(), int(conflict));
        const QStringList copies = QDir(QFileInfo(dataFile()).path()).entryList({u"nooks.json.conflict-*"_s});
        QCOMPARE(copies.size(), int(conflict));
        if (conflict)
            QCOMPARE(NookCodec::decode(contents(kept.first().first().toString())), other);
    }

    // A version that takes the file's place between the writer's look and its rename is put back, and the
    // write refused; where another comes within that exchange, it is kept, not removed.
    void aVersionArrivingDuringTheRenameStays_data() {
        QTest::addColumn<int>("arrivals");
        QTest::newRow("one") << 1;
        QTest::newRow("another within the exchange") << 2;
    }
    void aVersionArrivingDuringTheRenameStays() {
        QFETCH(int, arrivals);
        const QString path = m_env->makeFile(u"shared/nooks.json"_s, "old");
        const auto known = AtomicFile::stampOf(path);
        int looks = 0;
        AtomicFile::Guard guard;
        guard.expected = [&](const QString& file) {
            const bool same = AtomicFile::stampOf(file) == known;
            if (++looks <= arrivals) // right after the look
                replaceFromElsewhere(path, "theirs " + QByteArray::number(looks));
            return same;
        };
        QString kept;
        guard.keep = [&](const QString& file) { QVERIFY(QFile::rename(file, kept = path + u".kept"_s)); };
        QVERIFY(!AtomicFile::write(path, "ours", QFileDevice::ReadOwner, nullptr, &guard));
        QVERIFY(guard.refused);
        QCOMPARE(contents(path), QByteArray("theirs 1"));
        QCOMPARE(kept.isEmpty() ? QByteArray() : contents(kept),
                 arrivals == 2 ? QByteArray("theirs 2") : QByteArray());
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), arrivals);
    }

    // A sort looks at the files once: names as people read them, kinds with folders first (before "C
    // source"), newest first; an item whose file is gone goes last.
    void sortOrders_data() {
        QTest::addColumn<ItemOrder::Key>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name") << ItemOrder::Key::Name << u"a B2 b10 c"_s;
        QTest::newRow("kind") << ItemOrder::Key::Kind << u"B2 b10 a c"_s;
        QTest::newRow("date modified") << ItemOrder::Key::DateModified << u"a b10 B2 c"_s;
    }
    void sortOrders() {
        QFETCH(ItemOrder::Key, key);
        const auto item = [&](const QString& name, const QString& path, int hoursAgo) {
            const QString full = path.endsWith(u'/') ? m_env->makeFolder(path) : m_env->makeFile(path);
            const NookItem made{QUuid::createUuid(), name,
                                *Bookmarks::makeBookmark(QUrl::fromLocalFile(full))};
            const timespec when{::time(nullptr) - hoursAgo * 3600, 0};
            const timespec times[2] = {when, when};
            if (hoursAgo < 0)
                QFile::remove(full);
            else
                ::utimensat(AT_FDCWD, QFile::encodeName(full).constData(), times, 0);
            return made;
        };
        NookStore store;
        const QUuid id = store.groups().first().id;
        for (const NookItem& each : {item(u"c"_s, u"c.txt"_s, -1), item(u"b10"_s, u"b10.c"_s, 24),
                                     item(u"a"_s, u"a.png"_s, 0), item(u"B2"_s, u"B2/"_s, 72)})
            store.addItem(each, id);
        const QList<NookItem> items = store.groups().first().items;
        QCOMPARE(ItemOrder::arranged(items, {}), items);
        store.arrangeItems(id, ItemOrder::sorted(items, key));
        QTEST(names(store.groups().first().items), "expected");
        QCOMPARE(names(fileGroups(store).first().items), names(store.groups().first().items));
    }

    // Deleting another group keeps the selection; deleting the selected one selects the one in its place,
    // else the last; with none left, none is selected until files handed over make a default nook.
    void deletingMovesTheSelectionOnlyWhenItWasSelected() {
        auto store = storeWith(u"ABCD"_s);
        const QUuid a = store->groups().at(0).id, b = store->groups().at(1).id;
        const QUuid c = store->groups().at(2).id, d = store->groups().at(3).id;
        QSignalSpy selection(store.get(), &NookStore::selectedGroupIDChanged);

        store->deleteGroup(a);
        QCOMPARE(store->selectedGroupID(), d);
        QCOMPARE(selection.count(), 0);
        store->deleteGroup(store->groups().last().id); // an id read from the list it leaves
        QCOMPARE(store->selectedGroupID(), c);
        QCOMPARE(names(fileGroups(*store)), u"B C"_s);

        store->deleteGroup(c);
        store->deleteGroup(b);
        QCOMPARE(store->selectedGroup(), nullptr);
        QCOMPARE(fileBytes(*store), QByteArray("[]")); // the next start makes the default group again
        handOver(*store, {QUrl::fromLocalFile(m_env->home() + u"/gone.txt"_s)});
        QVERIFY(store->groups().isEmpty()); // nothing to add: no nook for it
        handOver(*store, {file(u"x.txt"_s)});
        QCOMPARE(names(fileGroups(*store)), u"Favorites"_s);
        QCOMPARE(store->selectedGroupID(), store->groups().first().id);
    }

    // Removals, undo (which puts back what was removed at its place) and renames are each saved.
    void undoAndRenamesAreSaved() {
        auto store = storeWith(u"AB"_s, u"xyz"_s);
        const NookGroup a = store->groups().first(), b = store->groups().last();
        store->removeItem(a.items.last().id, a.id);
        QCOMPARE(names(fileGroups(*store).first().items), u"x y"_s);
        store->insertItem(a.items.last(), a.id, 2);
        store->removeItem(a.items.first().id, a.id);
        store->insertItem(a.items.first(), a.id, 0);
        store->deleteGroup(b.id);
        store->insertGroup(b, 1);
        store->renameItem(a.id, a.items.at(1).id, u"w"_s);
        QCOMPARE(names(fileGroups(*store).first().items), u"x w z"_s);
        store->renameGroup(a.id, u"R"_s);
        QCOMPARE(names(fileGroups(*store)), u"R B"_s);
    }

    // Items move by their offsets, a group to its target's place; written also when nothing moved.
    void reorders_data() {
        QTest::addColumn<bool>("groups");
        QTest::addColumn<QList<int>>("moved");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        QTest::newRow("item A before D") << false << QList<int>{0} << 3 << "B C A D";
        QTest::newRow("item D to the front") << false << QList<int>{3} << 0 << "D A B C";
        QTest::newRow("item B onto itself") << false << QList<int>{1} << 2 << "A B C D";
        QTest::newRow("item to the end") << false << QList<int>{1} << 4 << "A C D B";
        QTest::newRow("two items at once") << false << QList<int>{0, 2} << 4 << "B D A C";
        QTest::newRow("group A onto C") << true << QList<int>{0} << 2 << "B C A D";
        QTest::newRow("group C onto A") << true << QList<int>{2} << 0 << "C A B D";
        QTest::newRow("group A onto itself") << true << QList<int>{0} << 0 << "A B C D";
    }
    void reorders() {
        QFETCH(bool, groups);
        QFETCH(QList<int>, moved);
        QFETCH(int, to);
        auto store = storeWith(u"ABCD"_s, u"ABCD"_s);
        if (groups)
            store->moveGroup(store->groups().at(moved.first()).id, store->groups().at(to).id);
        else
            store->moveItems(store->groups().first().id, std::set<int>(moved.begin(), moved.end()), to);
        const QList<NookGroup> saved = fileGroups(*store);
        QTEST(groups ? names(saved) : names(saved.first().items), "expected");
    }

    // An item moved or copied to another group; no group gets a second item of one file.
    void transfersNeverHoldAFileTwice() {
        auto store = storeWith(u"ABC"_s, u"xy"_s); // x and y stand for one file
        const QUuid a = store->groups().at(0).id, b = store->groups().at(1).id, c = store->groups().at(2).id;
        const QUuid x = store->groups().at(0).items.at(0).id, y = store->groups().at(0).items.at(1).id;
        QVERIFY(store->transferItem(x, a, b, true));
        QVERIFY(!store->transferItem(y, a, b, true)); // B holds the file now
        QVERIFY(!store->transferItem(y, a, b, false));
        QVERIFY(!store->transferItem(y, a, a, false));
        QVERIFY(store->transferItem(y, a, c, false));
        const QList<NookGroup> saved = fileGroups(*store);
        QCOMPARE(names(saved.at(0).items) + u'|' + names(saved.at(1).items) + u'|' + names(saved.at(2).items),
                 u"x|x|y"_s);
    }

    // One hand-over adds its new files in order, skips what the group or the batch holds already (also
    // through
    // "." and ".." forms and after a move), notifies and writes once; another group may hold the same file.
    void handOverIsOneBatch_data() {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("handed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("rejected");
        QTest::newRow("order kept, named after the target")
            << u""_s << u"c.tar.gz .bashrc odd. app.desktop Ü.ods"_s << "c.tar .bashrc odd. Viewer Ü" << 0
            << 0;
        QTest::newRow("twice in one batch") << u""_s << u"a.txt b.txt a.txt"_s << "a b" << 1 << 0;
        QTest::newRow("dot forms of a kept file")
            << u"docs/Report.pdf"_s << u"docs/sub/../Report.pdf docs/./Report.pdf new.txt"_s << "Report new"
            << 2 << 0;
        QTest::newRow("dot form within the batch")
            << u""_s << u"docs/r.pdf docs/sub/.././r.pdf"_s << "r" << 1 << 0;
        QTest::newRow("a duplicate in the middle")
            << u"b.txt"_s << u"a.txt b.txt c.txt"_s << "b a c" << 1 << 0;
        QTest::newRow("missing files and other schemes")
            << u"x.txt"_s << u"gone.txt ftp://example.org/y.pdf y.txt"_s << "x y" << 0 << 2;
        QTest::newRow("moved since it was added")
            << u"p/plan.txt"_s << u"moved/plan.txt"_s << "plan" << 1 << 0;
        QTest::newRow("in another group") << u"other:r.txt"_s << u"r.txt"_s << "r" << 0 << 0;
    }
    void handOverIsOneBatch() {
        QFETCH(QString, existing);
        QFETCH(QString, handed);
        const auto urls = [this](const QString& paths) {
            QList<QUrl> result;
            for (const QString& path : paths.split(u' ', Qt::SkipEmptyParts)) {
                if (path.contains(QLatin1String("://")))
                    result << QUrl(path);
                else if (path.startsWith(QLatin1String("gone")) || path.startsWith(QLatin1String("moved")))
                    result << QUrl::fromLocalFile(m_env->home() + u'/' + path);
                else // each holds an application entry, which only a .desktop file is read as
                    result << QUrl::fromLocalFile(
                        m_env->makeFile(path.section(u':', -1),
                                        "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true\n"));
            }
            return result;
        };
        auto store = storeWith(u"GO"_s);
        const QUuid group = store->groups().first().id;
        const bool elsewhere = existing.startsWith(QLatin1String("other:"));
        handOver(*store, urls(existing),
                 HandOverTarget::group(elsewhere ? store->groups().last().id : group));
        if (handed.startsWith(QLatin1String("moved")))
            QVERIFY(QDir(m_env->home()).rename(u"p"_s, u"moved"_s));
        store->waitForSaves();
        const quint64 savedBefore = store->savedGeneration();
        QSignalSpy changed(store.get(), &NookStore::groupsChanged);

        const HandOverResult result = handOver(*store, urls(handed), HandOverTarget::group(group));
        QTEST(names(fileGroups(*store).first().items), "expected");
        QTEST(int(result.duplicates.size()), "duplicates");
        QTEST(int(result.rejected.size()), "rejected");
        QCOMPARE(result.added.size() + result.duplicates.size() + result.rejected.size(),
                 handed.count(u' ') + 1);
        // One write holds them all, and says so once it is on disk.
        const int writes = result.added.isEmpty() ? 0 : 1;
        QCOMPARE(result.generation, writes ? savedBefore + 1 : 0);
        QCOMPARE(store->savedGeneration(), savedBefore + writes);
        QCOMPARE(changed.count(), writes);
    }

    // Hand-overs are applied in the order made, whoever made them (a launcher's delayed one holds back
    // those after it); each is checked against what its nook gained meanwhile, and a nook is looked up
    // when it is applied: two hand-overs to a new name make one nook, which does not become current.
    void handOversKeepTheirOrder() {
        NookStore store;
        const QUuid first = store.groups().first().id;
        const QUrl a = file(u"a.txt"_s), b = file(u"b.txt"_s), c = file(u"c.txt"_s), d = file(u"d.txt"_s);
        QSignalSpy finished(&store.handOvers(), &HandOverQueue::finished);
        HandOverQueue& queue = store.handOvers();
        const NookItem z{QUuid::createUuid(), u"z"_s, "/"};
        store.addItem(z, first);
        queue.add({b, a}, HandOverTarget::current(), 300);
        store.removeItem(z.id, first); // and an undo puts b in its place: the nook keeps its size
        store.addItem(NookItem{QUuid::createUuid(), u"b"_s, *Bookmarks::makeBookmark(b)}, first);
        queue.add({c, a}, HandOverTarget::group(first));
        queue.add({d}, HandOverTarget::named(u"New"_s));
        queue.add({d, a}, HandOverTarget::named(u"New"_s));
        QTest::qWait(150);
        QCOMPARE(finished.count(), 0); // all wait for the delayed first
        QTRY_COMPARE(finished.count(), 4);
        QList<quint64> tickets;
        for (const QList<QVariant>& each : finished)
            tickets << each.first().value<HandOverQueue::Ticket>();
        QCOMPARE(tickets, QList<quint64>({1, 2, 3, 4}));
        const QList<NookGroup> saved = fileGroups(store);
        QCOMPARE(names(saved), u"Favorites New"_s);
        QCOMPARE(names(saved.first().items), u"b a c"_s);
        QCOMPARE(names(saved.last().items), u"d a"_s);
        QCOMPARE(store.selectedGroupID(), first);
        const auto result = [&](int i) { return finished.at(i).at(1).value<HandOverResult>(); };
        QCOMPARE(result(0).duplicates, QList<QUrl>{b});
        QCOMPARE(result(3).duplicates, QList<QUrl>{d});
        QCOMPARE(result(3).groupID, result(2).groupID);

        // A nook removed while its files were looked at takes none; at quit the queue is emptied.
        queue.add({file(u"e.txt"_s)}, HandOverTarget::group(saved.last().id));
        store.deleteGroup(saved.last().id);
        queue.add({file(u"f.txt"_s)}, HandOverTarget::current());
        store.handOvers().complete();
        QCOMPARE(result(4).rejected.size(), 1);
        QCOMPARE(names(fileGroups(store).first().items), u"b a c f"_s);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestNookStore)
#include "tst_nookstore.moc"
