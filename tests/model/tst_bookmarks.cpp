#include "TestEnvironment.h"
#include "model/Bookmarks.h"

#include <QtEndian>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestBookmarks : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QString home(const QString& relative) const { return m_env->home() + QLatin1Char('/') + relative; }
    QByteArray bookmark(const QString& path) const {
        return Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray());
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
        const QString path = m_env->makeFile(u"docs/a.txt"_s);
        QDir::setCurrent(home(u"docs"_s));
        const auto data = Bookmarks::makeBookmark(QUrl(url.replace(u'@', path)));
        QCOMPARE(bool(data), accepted);
        if (data)
            QCOMPARE(resolve(*data), url.endsWith(QLatin1String("..")) ? QFileInfo(path).path() : path);
    }

    // Also when moved again: the remembered place is checked, not trusted.
    void findsTargetsThatMoved_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addRow("renamed in its folder")
            << u"Projects/app/notes.txt"_s << u"Projects/app/notes-old.txt"_s;
        QTest::addRow("into a sub-folder")
            << u"Projects/app/notes.txt"_s << u"Projects/app/archive/2026/notes.txt"_s;
        QTest::addRow("to the parent folder") << u"Projects/app/notes.txt"_s << u"Projects/notes.txt"_s;
        QTest::addRow("to a sibling folder") << u"Projects/app/notes.txt"_s << u"Projects/web/notes.txt"_s;
        QTest::addRow("Documents to Desktop") << u"Documents/notes.txt"_s << u"Desktop/notes.txt"_s;
        QTest::addRow("deep in Downloads") << u"Documents/notes.txt"_s << u"Downloads/a/b/notes.txt"_s;
    }
    void findsTargetsThatMoved() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        m_env->makeFolder(u"Desktop"_s);
        m_env->makeFolder(u"Downloads"_s);
        m_env->makeFile(u"Projects/app/other.txt"_s);
        const QByteArray data = bookmark(m_env->makeFile(from));
        move(from, to);
        QCOMPARE(resolve(data), home(to));
        move(to, u"Documents/again.txt"_s);
        QCOMPARE(resolve(data), home(u"Documents/again.txt"_s));
    }

    // A renamed folder still leads to its files; a deleted target resolves to nothing, until a
    // new file at its path is what the user now has there.
    void followsRenamedFoldersAndForgetsDeletedFiles() {
        const QByteArray data = bookmark(m_env->makeFile(u"Work/Q1/budget.ods"_s));
        move(u"Work/Q1"_s, u"Work/Q1 done"_s);
        QCOMPARE(resolve(data), home(u"Work/Q1 done/budget.ods"_s));
        QVERIFY(QFile::remove(home(u"Work/Q1 done/budget.ods"_s)));
        QCOMPARE(resolve(data), std::nullopt);
        m_env->makeFile(u"Work/Q1/budget.ods"_s, "new");
        QCOMPARE(resolve(data), home(u"Work/Q1/budget.ods"_s));
    }

    // The search takes only the very file: not one named alike, not one in the trash (here
    // reachable from where the file was), not another with its inode number on another device.
    // Nor a launcher's path once another file took its place: not the one the user chose to start.
    void theSearchTakesOnlyTheSameFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("same name elsewhere") << "name";
        QTest::newRow("moved to the trash") << "trash";
        QTest::newRow("same inode number, another device") << "device";
        QTest::newRow("a launcher put in its place") << "launcher";
    }
    void theSearchTakesOnlyTheSameFile() {
        QFETCH(QString, kind);
        const QString path =
            m_env->makeFile(kind == u"launcher" ? u"docs/a.desktop"_s : u".local/share/docs/a.txt"_s);
        QByteArray data = bookmark(path);
        if (kind == u"launcher") {
            QFile old(path); // held open: the new file cannot take its inode number
            QVERIFY(old.open(QIODevice::ReadOnly) && QFile::remove(path));
            m_env->makeFile(u"docs/a.desktop"_s);
            QCOMPARE(Bookmarks::presentPath(data), std::nullopt);
        } else if (kind == u"name") {
            QVERIFY(QFile::remove(path));
            m_env->makeFile(u".local/share/docs/sub/a.txt"_s);
        } else if (kind == u"trash") {
            const QString trash = m_env->makeFolder(u".local/share/Trash/files"_s);
            QVERIFY(QFile::rename(path, trash + u"/a.txt"_s));
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
            m_env->makeFile(u"docs/filler/f%1"_s.arg(i));
        const QByteArray data = bookmark(m_env->makeFile(u"docs/a.txt"_s));
        move(u"docs/a.txt"_s, u"docs/zz/a.txt"_s);
        Bookmarks::setSearchLimits({10, 1000});
        QCOMPARE(resolve(data), std::nullopt);
        // A miss is remembered until forgotten.
        Bookmarks::setSearchLimits({});
        QCOMPARE(resolve(data), std::nullopt);
        Bookmarks::forgetSearches();
        QCOMPARE(resolve(data), home(u"docs/zz/a.txt"_s));
    }

    // A plain path reads as itself; the path in a record is its tail, cleaned like a plain path and
    // never cut at a NUL; foreign or cut records resolve to nothing.
    void readsPlainPathsAndRejectsForeignBytes() {
        const QString path = m_env->makeFile(u"docs/a.txt"_s);
        const QByteArray head = bookmark(path).chopped(path.toUtf8().size());
        QCOMPARE(resolve(path.toUtf8()), path);
        QCOMPARE(resolve(head + QFileInfo(path).path().toUtf8() + "/./sub/../a.txt"), path);
        QCOMPARE(resolve(head + path.toUtf8() + QByteArray("\0.desktop", 9)), std::nullopt);
        QCOMPARE(resolve(path.toUtf8() + QByteArray("\0.desktop", 9)), std::nullopt);
        QCOMPARE(resolve(QByteArray("book\x00\x00\x02\x00", 8)), std::nullopt);
        QCOMPARE(resolve(head.left(12)), std::nullopt);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
