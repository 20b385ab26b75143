#include "TestEnvironment.h"
#include "model/Bookmarks.h"

#include <QtConcurrent>
#include <QtEndian>
#include <QtTest>

#include <memory>

class TestBookmarks : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QString home(const QString& relative) const { return m_env->home() + QLatin1Char('/') + relative; }
    QByteArray bookmark(const QString& path) const {
        const auto data = Bookmarks::makeBookmark(QUrl::fromLocalFile(path));
        return data.value_or(QByteArray());
    }
    std::optional<QString> resolve(const QByteArray& data) const { return Bookmarks::resolvePath(data); }
    void move(const QString& from, const QString& to) const {
        QDir().mkpath(QFileInfo(home(to)).path());
        QVERIFY(QFile::rename(home(from), home(to)));
    }

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        Bookmarks::forgetSearches();
        Bookmarks::setSearchLimits({});
    }
    void cleanup() { m_env.reset(); }

    // Only existing files and folders of this machine: no other host, no relative form
    // (whose folder would be ours, not the sender's), no NUL that cuts the path short.
    void takesLocalFileUrlsOnly_data() {
        QTest::addColumn<QString>("url"); // "@" stands for the file's absolute path
        QTest::addColumn<bool>("accepted");
        QTest::newRow("its folder") << "file://@/.." << true;
        QTest::newRow("a missing file") << "file://@.missing" << false;
        QTest::newRow("no URL") << "" << false;
        QTest::newRow("empty host") << "file://@" << true;
        QTest::newRow("no authority") << "file:@" << true;
        QTest::newRow("localhost") << "file://localhost@" << true;
        QTest::newRow("LOCALHOST") << "file://LOCALHOST@" << true;
        QTest::newRow("dot forms") << "file:///@/../a.txt" << true;
        QTest::newRow("another host") << "file://example.org@" << false;
        QTest::newRow("a host named like a folder") << "file://tmp@" << false;
        QTest::newRow("relative") << "file:a.txt" << false;
        QTest::newRow("NUL before an extension") << "file://@%00.desktop" << false;
        QTest::newRow("other scheme") << "sftp://localhost@" << false;
    }
    void takesLocalFileUrlsOnly() {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        const QString path = m_env->makeFile(QStringLiteral("docs/a.txt"));
        QDir::setCurrent(home(QStringLiteral("docs")));
        const auto data = Bookmarks::makeBookmark(QUrl(url.replace(u'@', path)));
        QCOMPARE(bool(data), accepted);
        if (data)
            QCOMPARE(resolve(*data), url.endsWith(QLatin1String("..")) ? QFileInfo(path).path() : path);
    }

    void findsTargetsThatMoved_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("renamed in its folder") << "Projects/app/notes.txt"
                                               << "Projects/app/notes-old.txt";
        QTest::newRow("into a sub-folder") << "Projects/app/notes.txt"
                                           << "Projects/app/archive/2026/notes.txt";
        QTest::newRow("to the parent folder") << "Projects/app/notes.txt"
                                              << "Projects/notes.txt";
        QTest::newRow("to a sibling folder") << "Projects/app/notes.txt"
                                             << "Projects/web/notes.txt";
        QTest::newRow("Documents to Desktop") << "Documents/notes.txt"
                                              << "Desktop/notes.txt";
        QTest::newRow("deep in Downloads") << "Documents/notes.txt"
                                           << "Downloads/a/b/notes.txt";
    }

    void findsTargetsThatMoved() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        m_env->makeFolder(QStringLiteral("Desktop"));
        m_env->makeFolder(QStringLiteral("Downloads"));
        m_env->makeFile(QStringLiteral("Projects/app/other.txt"));
        const QByteArray data = bookmark(m_env->makeFile(from));
        const QByteArray before = data;
        move(from, to);
        QCOMPARE(resolve(data), home(to));
        QCOMPARE(data, before);
        // Moved again: the remembered place is checked, not trusted.
        move(to, QStringLiteral("Documents/again.txt"));
        QCOMPARE(resolve(data), home(QStringLiteral("Documents/again.txt")));
    }

    void aRenamedFolderStillLeadsToItsFiles() {
        const QByteArray data = bookmark(m_env->makeFile(QStringLiteral("Work/Q1/budget.ods")));
        QVERIFY(QDir(home(QStringLiteral("Work"))).rename(QStringLiteral("Q1"), QStringLiteral("Q1 done")));
        QCOMPARE(resolve(data), home(QStringLiteral("Work/Q1 done/budget.ods")));
    }

    void deletedTargetsResolveToNothing() {
        const QString path = m_env->makeFile(QStringLiteral("docs/a.txt"));
        const QByteArray data = bookmark(path);
        QVERIFY(QFile::remove(path));
        QCOMPARE(resolve(data), std::nullopt);
        // A new file at the old path is what the user now has there.
        m_env->makeFile(QStringLiteral("docs/a.txt"), "new");
        QCOMPARE(resolve(data), path);
    }

    // The search takes only the very file: not one named alike, not one in the trash (here
    // reachable from where the file was), not another with its inode number on another device.
    void theSearchTakesOnlyTheSameFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("same name elsewhere") << "name";
        QTest::newRow("moved to the trash") << "trash";
        QTest::newRow("same inode number, another device") << "device";
    }
    void theSearchTakesOnlyTheSameFile() {
        QFETCH(QString, kind);
        const QString path = m_env->makeFile(QStringLiteral(".local/share/docs/a.txt"));
        QByteArray data = bookmark(path);
        if (kind == u"name") {
            QVERIFY(QFile::remove(path));
            m_env->makeFile(QStringLiteral(".local/share/docs/sub/a.txt"));
        } else if (kind == u"trash") {
            const QString trash = m_env->makeFolder(QStringLiteral(".local/share/Trash/files"));
            QVERIFY(QFile::rename(path, trash + QStringLiteral("/a.txt")));
        } else {
            // A record of this inode number on another device, at a path that is gone.
            constexpr int kDeviceAt = 6, kPathAt = 34;
            qToLittleEndian(qFromLittleEndian<quint64>(data.constData() + kDeviceAt) + 1,
                            data.data() + kDeviceAt);
            data = data.left(kPathAt) + QFileInfo(path).path().toUtf8() + "/gone.txt";
        }
        QCOMPARE(resolve(data), std::nullopt);
    }

    void theSearchIsBounded() {
        for (int i = 0; i < 50; ++i)
            m_env->makeFile(QStringLiteral("docs/filler/f%1").arg(i));
        const QByteArray data = bookmark(m_env->makeFile(QStringLiteral("docs/a.txt")));
        move(QStringLiteral("docs/a.txt"), QStringLiteral("docs/zz/a.txt"));
        Bookmarks::setSearchLimits({10, 1000});
        QCOMPARE(resolve(data), std::nullopt);
        // A miss is remembered until forgotten.
        Bookmarks::setSearchLimits({});
        QCOMPARE(resolve(data), std::nullopt);
        Bookmarks::forgetSearches();
        QCOMPARE(resolve(data), home(QStringLiteral("docs/zz/a.txt")));
    }

    void readsPlainPathsAndRejectsForeignBytes() {
        const QString path = m_env->makeFile(QStringLiteral("docs/a.txt"));
        QCOMPARE(resolve(path.toUtf8()), path);
        QCOMPARE(resolve(QByteArray("book\x00\x00\x02\x00", 8)), std::nullopt);
        QCOMPARE(resolve(QByteArray()), std::nullopt);
        // The path is a record's tail: cleaned like a plain path, never cut at a NUL.
        const QByteArray head = bookmark(path).chopped(path.toUtf8().size());
        QCOMPARE(resolve(head + QFileInfo(path).path().toUtf8() + "/./sub/../a.txt"), path);
        QCOMPARE(resolve(head + path.toUtf8() + QByteArray("\0.desktop", 9)), std::nullopt);
        QCOMPARE(resolve(path.toUtf8() + QByteArray("\0.desktop", 9)), std::nullopt);
        QByteArray truncated = bookmark(path);
        truncated.truncate(12);
        QCOMPARE(resolve(truncated), std::nullopt);
        const NookItem item{QUuid::createUuid(), QStringLiteral("a"), bookmark(path)};
        QCOMPARE(Bookmarks::resolveBookmark(item), QUrl::fromLocalFile(path));
    }

    void resolvesFromManyThreadsAtOnce() {
        QList<QByteArray> bookmarks;
        QStringList targets;
        for (int i = 0; i < 40; ++i) {
            bookmarks << bookmark(m_env->makeFile(QStringLiteral("docs/f%1.txt").arg(i)));
            move(QStringLiteral("docs/f%1.txt").arg(i), QStringLiteral("docs/moved/f%1.txt").arg(i));
            targets << home(QStringLiteral("docs/moved/f%1.txt").arg(i));
        }
        QList<QByteArray> work;
        for (int round = 0; round < 5; ++round)
            work << bookmarks;
        const QList<std::optional<QString>> found = QtConcurrent::blockingMapped(
            work, [](const QByteArray& data) { return Bookmarks::resolvePath(data); });
        for (int i = 0; i < found.size(); ++i)
            QCOMPARE(found.at(i), targets.at(i % targets.size()));
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
