#include "TestEnvironment.h"
#include "model/Bookmarks.h"
#include "model/HandOverBatch.h"
#include "platform/xdg/LinkEntry.h"

#include <QtTest>

#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TestWebLinks : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    QString folder() const { return WebLinks::folderIn(m_env->dataHome() + u"/Tuckaway"_s); }

    static uint mode(const QString& path) {
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QList<QUrl> urls(const QString& text) {
        QList<QUrl> result;
        for (const QString& url : text.split(u' ', Qt::SkipEmptyParts))
            result << QUrl(url);
        return result;
    }

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    // A link file is a private Link entry with our marker, named after the address in safe letters; a
    // taken name (a file, or a link to elsewhere) is never written through.
    void linkFilesAreTheDesktopsOwn_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("taken"); // a file there; with ">" a symbolic link to nowhere
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("the title names it")
            << u"https://example.org/docs/page?x=1#top"_s << u" Page\n\tTitle "_s << u""_s
            << u"example.org-docs-page"_s << u"Page Title"_s;
        QTest::newRow("host and path")
            << u"http://example.org/a/b/"_s << u""_s << u""_s << u"example.org-a-b"_s << u"example.org/a/b"_s;
        QTest::newRow("a taken name") << u"https://example.org"_s << u""_s << u"example.org"_s
                                      << u"example.org-2"_s << u"example.org"_s;
        QTest::newRow("a link in the way") << u"https://example.org/"_s << u""_s << u"example.org>"_s
                                           << u"example.org-2"_s << u"example.org"_s;
        QTest::newRow("no folder, no hidden file")
            << u"https://x.org/..%2F../Über uns/.."_s << u""_s << u""_s << u"x.org-..-..-ber-uns"_s
            << u"x.org/../../Über uns/.."_s;
        QTest::newRow("long") << u"https://x.org/"_s + QString(100, u'a') << u""_s << u""_s
                              << u"x.org-"_s + QString(54, u'a') << u"x.org/"_s + QString(100, u'a');
    }
    void linkFilesAreTheDesktopsOwn() {
        QFETCH(QString, url);
        QFETCH(QString, title);
        QFETCH(QString, taken);
        const bool symlink = taken.endsWith(u'>');
        const QString takenPath = folder() + u'/' + taken.chopped(symlink ? 1 : 0) + u".desktop"_s;
        if (symlink)
            QVERIFY(QDir().mkpath(folder()) && QFile::link(m_env->home() + u"/elsewhere"_s, takenPath));
        else if (!taken.isEmpty())
            m_env->makeFile(takenPath.mid(m_env->home().size() + 1), "mine");

        const auto made = WebLinks::make(folder(), QUrl(url), title);
        QVERIFY(made);
        QTEST(made->path.section(u'/', -1).chopped(8), "file");
        QTEST(made->name, "name");
        const QByteArray text = contents(made->path);
        QVERIFY2(text.startsWith("[Desktop Entry]\nX-Tuckaway-Link=true\nType=Link\n"), text);
        const auto entry = LinkEntry::read(made->path);
        QVERIFY(entry && entry->ours);
        QCOMPARE(entry->url, QUrl(url));
        QTEST(entry->name, "name");
        QCOMPARE(mode(made->path), 0600u);
        QCOMPARE(mode(folder()), 0700u);
        if (symlink)
            QVERIFY(!QFileInfo::exists(m_env->home() + u"/elsewhere"_s));
        else if (!taken.isEmpty())
            QCOMPARE(contents(takenPath), "mine");
    }

    // Web addresses become link items named by their title, else host and path; the same address twice in
    // a group (however spelled, also one a later hand-over added meanwhile) is a duplicate; other schemes,
    // and web addresses without a link folder, are refused.
    void handOverMakesLinkItems_data() {
        QTest::addColumn<QString>("held"); // "later:" when they came in while the batch was prepared
        QTest::addColumn<QString>("handed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("rejected");
        QTest::newRow("titles, host and path")
            << u""_s << u"https://example.org/a http://example.org https://b.org/c/"_s
            << u"Alpha|example.org|b.org/c"_s << 0 << 0;
        QTest::newRow("spelled otherwise")
            << u"https://example.org/a https://c.org"_s
            << u"https://EXAMPLE.org:443/a https://example.org/b/../a https://c.org/"_s << u""_s << 3 << 0;
        QTest::newRow("twice in one batch")
            << u""_s << u"https://x.org/ https://x.org/#f https://x.org"_s << u"x.org|x.org"_s << 1 << 0;
        QTest::newRow("made meanwhile") << u"later:https://example.org/a"_s
                                        << u"https://example.org/a https://d.org"_s << u"d.org"_s << 1 << 0;
        QTest::newRow("other schemes")
            << u""_s << u"ftp://x.org/f mailto:a@b.org javascript:alert(1) https:/nohost"_s << u""_s << 0
            << 4;
        QTest::newRow("no link folder") << u""_s << u"nofolder:https://x.org"_s << u""_s << 0 << 1;
    }
    void handOverMakesLinkItems() {
        QFETCH(QString, held);
        QFETCH(QString, handed);
        const WebLinks::HandOver links{folder(), {{QUrl(u"https://example.org/a"_s), u"Alpha"_s}}};
        const bool later = held.startsWith(u"later:"_s);
        const QList<NookItem> before =
            HandOverBatch::prepare({}, urls(held.mid(later ? 6 : 0)), {}, links).items;
        const bool noFolder = handed.startsWith(u"nofolder:"_s);
        HandOverBatch batch =
            HandOverBatch::prepare(later ? QList<NookItem>() : before, urls(handed.mid(noFolder ? 9 : 0)), {},
                                   noFolder ? WebLinks::HandOver{} : links);
        if (later)
            batch.dropHeldBy(before);
        QStringList names;
        for (qsizetype i = 0; i < batch.items.size(); ++i) {
            names << batch.items.at(i).name;
            const auto entry =
                LinkEntry::read(Bookmarks::resolvePath(batch.items.at(i).bookmarkData).value());
            QVERIFY(entry && entry->url == batch.result.added.at(i));
        }
        QTEST(names.join(u'|'), "expected");
        QTEST(int(batch.result.duplicates.size()), "duplicates");
        QTEST(int(batch.result.rejected.size()), "rejected");
    }

    // The clean-ups remove our link files no item refers to, and nothing else: not a file without our
    // marker, not a symbolic link, not one referred to through another spelling of the folder; for the
    // items forgotten after a removal, only theirs.
    void cleanUpTouchesOnlyOurUnusedFiles_data() {
        QTest::addColumn<bool>("forgotten");
        QTest::addColumn<QString>("left");
        const QString kept = u"foreign.desktop notes.txt symlink.desktop used.org.desktop via.org.desktop"_s;
        QTest::newRow("at start") << false << kept;
        QTest::newRow("forgotten") << true
                                   << u"foreign.desktop notes.txt other.org.desktop symlink.desktop "
                                      "used.org.desktop via.org.desktop"_s;
    }
    void cleanUpTouchesOnlyOurUnusedFiles() {
        QFETCH(bool, forgotten);
        const auto make = [this](const char* url) {
            return WebLinks::make(folder(), QUrl(QLatin1String(url)), {}).value().path;
        };
        const QString used = make("https://used.org"), viaLink = make("https://via.org");
        const QString unused = make("https://unused.org");
        if (forgotten)
            make("https://other.org"); // unused too, but not the forgotten item's
        const QString dir = folder().mid(m_env->home().size() + 1);
        m_env->makeFile(dir + u"/foreign.desktop"_s, "[Desktop Entry]\nType=Link\nURL=https://f.org\n");
        m_env->makeFile(dir + u"/notes.txt"_s,
                        "[Desktop Entry]\nX-Tuckaway-Link=true\nType=Link\nURL=https://n.org\n");
        QVERIFY(QFile::link(make("https://target.org"), folder() + u"/symlink.desktop"_s));
        QVERIFY(QFile::remove(folder() + u"/target.org.desktop"_s));
        QVERIFY(QFile::link(folder(), m_env->home() + u"/spelled"_s));

        const QSet<QString> referenced{used, m_env->home() + u"/spelled/"_s + QFileInfo(viaLink).fileName()};
        const QSet<QString> gone{unused, used, folder() + u"/foreign.desktop"_s, folder() + u"/notes.txt"_s,
                                 folder() + u"/symlink.desktop"_s};
        QCOMPARE(forgotten ? WebLinks::removeForgotten(folder(), gone, referenced)
                           : WebLinks::removeUnreferenced(folder(), referenced),
                 1);
        QTEST(QDir(folder()).entryList(QDir::Files | QDir::System).join(u' '), "left");
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestWebLinks)
#include "tst_weblinks.moc"
