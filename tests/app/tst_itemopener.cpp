#include "TestEnvironment.h"
#include "app/ItemOpener.h"
#include "model/Bookmarks.h"

#include <QDesktopServices>
#include <QFile>
#include <QTest>

#include <memory>

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
    QString entry(const QString& name, bool executable) {
        const QString path = m_env->makeFile(
            name + u".desktop"_qs,
            u"[Desktop Entry]\nType=Application\nName=%1\nExec=touch %2/%1\n"_qs.arg(name, m_env->home())
                .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                        (executable ? QFile::ExeOwner : QFile::Permissions()));
        return path;
    }

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
    // No application for anything but what a test makes; the MIME types come from the system.
    void initTestCase() { QVERIFY(QFile::link(u"/usr/share/mime"_qs, systemData().filePath(u"mime"_qs))); }
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_sink.urls.clear();
        QDesktopServices::setUrlHandler(u"file"_qs, &m_sink, "open");
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(u"file"_qs);
        m_env.reset();
    }

    // A file nothing on the desktop opens and a target gone for good are reported, not handed on.
    void reportsWhatItCannotOpen() {
        const QString file = m_env->makeFile(u"blob.bin"_qs, QByteArray("\x00\x01\x02\xff", 4));
        const QByteArray blob = bookmark(file);
        QCOMPARE(open(blob), ItemOpener::Result::NoApplication);
        QVERIFY(QFile::remove(file));
        Bookmarks::forgetSearches();
        QCOMPARE(open(blob), ItemOpener::Result::Missing);
        QVERIFY(m_sink.urls.isEmpty());
    }

    // An application entry is started, never shown in an editor; only a trusted one is.
    void applicationEntriesAreStartedWhenTrusted() {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"not started.*Untrusted"_qs));
        QCOMPARE(open(bookmark(entry(u"Untrusted"_qs, false))), ItemOpener::Result::NoApplication);
        // The trusted one started afterwards is the sign that launches have had their time.
        QCOMPARE(open(bookmark(entry(u"Trusted"_qs, true))), ItemOpener::Result::Opened);
        QTRY_VERIFY(QFile::exists(m_env->home() + u"/Trusted"_qs));
        QVERIFY(!QFile::exists(m_env->home() + u"/Untrusted"_qs));
        QVERIFY(m_sink.urls.isEmpty());
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestItemOpener)
#include "tst_itemopener.moc"
