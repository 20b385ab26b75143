#include "TestEnvironment.h"
#include "app/ItemOpener.h"
#include "model/Bookmarks.h"
#include "platform/xdg/DesktopEntry.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

// Receives what would go to the desktop's default application.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls << url; }
};

// The only application folder the desktop knows here, set before anything reads the variable.
QTemporaryDir& systemData() {
    static QTemporaryDir dir;
    return dir;
}
const bool kSystemDataSet = qputenv("XDG_DATA_DIRS", QFile::encodeName(systemData().path()));

class TestItemOpener : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    UrlSink m_sink;

    // An application entry that makes a file of its name in the home when it is started.
    QString entry(const QString& folder, const QString& name, uint mode) {
        const QString path = m_env->makeFile(
            folder + u'/' + name + u".desktop"_qs,
            u"[Desktop Entry]\nType=Application\nName=%1\nExec=touch %2/%1\n"_qs.arg(name, m_env->home())
                .toUtf8());
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }
    bool started(const QString& name) const { return QFile::exists(m_env->home() + u'/' + name); }

    static QByteArray bookmark(const QString& path) {
        return Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value();
    }
    ItemOpener::Result open(const QByteArray& bookmark) {
        std::optional<ItemOpener::Result> result;
        ItemOpener::open({QUuid::createUuid(), u"x"_qs, bookmark}, this,
                         [&](ItemOpener::Result r) { result = r; });
        [&] { QTRY_VERIFY(result.has_value()); }();
        return result.value_or(ItemOpener::Result::Missing);
    }

private slots:
    // No application for anything but what a test makes, and a browser; the MIME types come from the system.
    void initTestCase() {
        QVERIFY(QFile::link(u"/usr/share/mime"_qs, systemData().filePath(u"mime"_qs)));
        QFile browser(systemData().filePath(u"applications/browser.desktop"_qs));
        QVERIFY(QDir(systemData().path()).mkpath(u"applications"_qs) && browser.open(QIODevice::WriteOnly));
        browser.write("[Desktop Entry]\nType=Application\nName=Browser\nExec=true "
                      "%u\nMimeType=x-scheme-handler/https;\n");
        browser.close();
        QCOMPARE(QProcess::execute(u"update-desktop-database"_qs, {QFileInfo(browser).path()}), 0);
    }
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_sink.urls.clear();
        QDesktopServices::setUrlHandler(u"file"_qs, &m_sink, "open");
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(u"file"_qs);
        m_env.reset();
    }

    // Whether a launcher may start, by who owns it and its folder (owner, mode) and who may write them.
    void ownershipRule_data() {
        QTest::addColumn<QList<uint>>("facts"); // file owner, mode, folder owner, mode; the user is 1000
        QTest::addColumn<bool>("privateGroup"); // the group of both is the user's own, with nobody else
        QTest::addColumn<bool>("trusted");
        const uint me = 1000, other = 1001, root = 0;
        const auto row = [](const char* name, QList<uint> facts, bool privateGroup, bool trusted) {
            QTest::newRow(name) << facts << privateGroup << trusted;
        };
        row("own file, own folder", {me, 0755, me, 0755}, false, true);
        row("root's file", {root, 0644, me, 0700}, false, true);
        row("another user's file", {other, 0755, me, 0755}, false, false);
        row("group may write, shared group", {me, 0775, me, 0755}, false, false);
        row("group may write, private group", {me, 0775, me, 0775}, true, true);
        row("anyone may write the file", {me, 0757, me, 0755}, true, false);
        row("root's folder", {me, 0755, root, 0755}, false, true);
        row("another user's folder", {me, 0755, other, 0755}, false, false);
        row("anyone may write the folder", {me, 0755, me, 0777}, true, false);
        row("own file in /tmp", {me, 0755, root, 01777}, false, true);
        row("root's file in /tmp", {root, 0755, root, 01777}, false, false);
        row("own sticky folder", {me, 0755, me, 01777}, false, true);
    }
    void ownershipRule() {
        QFETCH(QList<uint>, facts);
        QFETCH(bool, privateGroup);
        QTEST(DesktopEntry::safeOwnership({facts[0], S_IFREG | facts[1], privateGroup},
                                          {facts[2], S_IFDIR | facts[3], privateGroup}, 1000),
              "trusted");
    }

    // A launcher is started, never shown in an editor, and only when nobody else could have put it there or
    // changed it; one put in the place of the user's own is not the one the user chose: it is missing. A file
    // nothing on the desktop opens and a target gone for good are reported, not handed on.
    void launchersStartOnlyWhenNobodyElseCouldWriteThem_data() {
        QTest::addColumn<uint>("folderMode");
        QTest::addColumn<uint>("fileMode");
        QTest::addColumn<QString>("how"); // "link": through a symlink; "other": another user's; "replaced"
        QTest::addColumn<ItemOpener::Result>("result");
        const auto opened = ItemOpener::Result::Opened, refused = ItemOpener::Result::NoApplication;
        QTest::newRow("executable") << 0755u << 0700u << QString() << opened;
        QTest::newRow("not executable") << 0755u << 0600u << QString() << refused;
        QTest::newRow("anyone may rewrite it") << 0755u << 0777u << QString() << refused;
        QTest::newRow("in a folder anyone may write") << 0777u << 0700u << QString() << refused;
        QTest::newRow("a link to one in a folder anyone may write")
            << 0777u << 0700u << u"link"_qs << refused;
        QTest::newRow("own, in a sticky folder") << 01777u << 0700u << QString() << opened;
        QTest::newRow("another user's, in a sticky folder") << 01777u << 0755u << u"other"_qs << refused;
        QTest::newRow("a file nothing opens") << 0755u << 0600u << u"blob"_qs << refused;
        QTest::newRow("gone") << 0755u << 0700u << u"gone"_qs << ItemOpener::Result::Missing;
        QTest::newRow("replaced in a sticky folder")
            << 01777u << 0700u << u"replaced"_qs << ItemOpener::Result::Missing;
    }
    void launchersStartOnlyWhenNobodyElseCouldWriteThem() {
        QFETCH(uint, folderMode);
        QFETCH(uint, fileMode);
        QFETCH(QString, how);
        QFETCH(ItemOpener::Result, result);
        if (how == u"other" && ::geteuid() != 0)
            QSKIP("a file of another user needs root to make");
        const QString folder = m_env->makeFolder(u"shared"_qs);
        const QString path = how == u"blob" ? m_env->makeFile(u"shared/App.bin"_qs, QByteArray("\x00\xff", 2))
                                            : entry(u"shared"_qs, u"App"_qs, fileMode);
        QByteArray data = bookmark(path);
        if (how == u"gone") {
            QVERIFY(QFile::remove(path));
        } else if (how == u"link") {
            const QString link = m_env->home() + u"/App.desktop"_qs;
            QVERIFY(QFile::link(path, link));
            data = bookmark(link);
        } else if (how == u"other") {
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        } else if (how == u"replaced") {
            QFile old(path); // held open, so that the new file cannot take its inode number
            QVERIFY(old.open(QIODevice::ReadOnly));
            QVERIFY(QFile::remove(path));
            QCOMPARE(entry(u"shared"_qs, u"App"_qs, fileMode), path);
        }
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), folderMode), 0);
        if (result == ItemOpener::Result::NoApplication && how != u"blob")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"not started.*App"_qs));
        QCOMPARE(open(data), result);
        // A trusted one started afterwards is the sign that launches have had their time.
        QCOMPARE(open(bookmark(entry(u"own"_qs, u"Control"_qs, 0700))), ItemOpener::Result::Opened);
        QTRY_VERIFY(started(u"Control"_qs));
        QCOMPARE(started(u"App"_qs), result == ItemOpener::Result::Opened);
        QVERIFY(m_sink.urls.isEmpty());
    }

    // A web link's address goes to the browser: the link is neither started nor handed over as a file.
    // A link to anything but a web page opens nothing.
    void webLinksOpenInTheBrowser() {
        QDesktopServices::setUrlHandler(u"https"_qs, &m_sink, "open");
        const auto link = [this](const char* name, const QByteArray& url) {
            return bookmark(m_env->makeFile(QLatin1String(name),
                                            "[Desktop Entry]\nType=Link\nName=x\nURL=" + url + "\n"));
        };
        QCOMPARE(open(link("web.desktop", "https://example.org/page")), ItemOpener::Result::Opened);
        QCOMPARE(open(link("ftp.desktop", "ftp://example.org/file")), ItemOpener::Result::NoApplication);
        QDesktopServices::unsetUrlHandler(u"https"_qs);
        QCOMPARE(m_sink.urls, QList<QUrl>{QUrl(u"https://example.org/page"_qs)});
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestItemOpener)
#include "tst_itemopener.moc"
