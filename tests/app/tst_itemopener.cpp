#include "TestEnvironment.h"
#include "app/ItemOpener.h"
#include "model/Bookmarks.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

// Receives what would go to the desktop's default application.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
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

    // An application entry that leaves a mark when it is started.
    QString entry(const QString& name, const QString& mark, bool executable) {
        const QString path = m_env->makeFile(QStringLiteral("apps/%1.desktop").arg(name),
                                             QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n"
                                                            "Exec=touch %2\n")
                                                 .arg(name, mark)
                                                 .toUtf8());
        QFile file(path);
        QFile::Permissions permissions = file.permissions() | QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        else
            permissions &= ~(QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        file.setPermissions(permissions);
        return path;
    }

    ItemOpener::Result open(const QString& path) {
        const NookItem item{QUuid::createUuid(), QStringLiteral("x"),
                            Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value()};
        return openItem(item);
    }
    ItemOpener::Result openItem(const NookItem& item) {
        std::optional<ItemOpener::Result> result;
        ItemOpener::open(item, this, [&](ItemOpener::Result r) { result = r; });
        [&] { QTRY_VERIFY(result.has_value()); }();
        return result.value_or(ItemOpener::Result::Missing);
    }

private slots:
    void initTestCase() {
        // Plain text and folders have a viewer; anything else has no application. The MIME
        // types themselves still come from the system.
        QVERIFY(
            QFile::link(QStringLiteral("/usr/share/mime"), systemData().filePath(QStringLiteral("mime"))));
        QDir().mkpath(systemData().filePath(QStringLiteral("applications")));
        QFile viewer(systemData().filePath(QStringLiteral("applications/viewer.desktop")));
        QVERIFY(viewer.open(QIODevice::WriteOnly));
        viewer.write("[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n"
                     "MimeType=text/plain;inode/directory;\n");
        viewer.close();
        QFile index(systemData().filePath(QStringLiteral("applications/mimeinfo.cache")));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[MIME Cache]\ntext/plain=viewer.desktop;\ninode/directory=viewer.desktop;\n");
        index.close();
    }
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_sink.urls.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_sink, "open");
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        m_env.reset();
    }

    void opensWhatItFindsAndReportsTheRest() {
        const QString file = m_env->makeFile(QStringLiteral("docs/a.txt"), "plain words\n");
        const QString folder = m_env->makeFolder(QStringLiteral("docs"));
        QCOMPARE(open(file), ItemOpener::Result::Opened);
        QCOMPARE(open(folder), ItemOpener::Result::Opened);

        // A moved target is looked for in the background and opened where it is now.
        const NookItem moved{QUuid::createUuid(), QStringLiteral("moved"),
                             Bookmarks::makeBookmark(QUrl::fromLocalFile(file)).value()};
        QVERIFY(
            QFile::rename(file, m_env->makeFolder(QStringLiteral("docs/2026")) + QStringLiteral("/a.txt")));
        QCOMPARE(openItem(moved), ItemOpener::Result::Opened);
        QCOMPARE(m_sink.urls,
                 QList<QUrl>({QUrl::fromLocalFile(file), QUrl::fromLocalFile(folder),
                              QUrl::fromLocalFile(m_env->home() + QStringLiteral("/docs/2026/a.txt"))}));

        // Gone for good, and a kind of file nothing on the desktop opens: nothing is handed on.
        const QString data = m_env->makeFile(QStringLiteral("blob.bin"), QByteArray("\x00\x01\x02\xff", 4));
        QCOMPARE(open(data), ItemOpener::Result::NoApplication);
        QVERIFY(QFile::remove(m_env->home() + QStringLiteral("/docs/2026/a.txt")));
        Bookmarks::forgetSearches();
        QCOMPARE(openItem(moved), ItemOpener::Result::Missing);
        QCOMPARE(m_sink.urls.size(), 3);
    }

    void aTrustedApplicationEntryIsStartedNotShown() {
        const QString mark = m_env->home() + QStringLiteral("/started");
        QCOMPARE(open(entry(QStringLiteral("Trusted"), mark, true)), ItemOpener::Result::Opened);
        QTRY_VERIFY(QFile::exists(mark));
        QVERIFY(m_sink.urls.isEmpty());
    }

    void anUntrustedEntryIsNeitherStartedNorShown() {
        const QString mark = m_env->home() + QStringLiteral("/started");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not started.*Untrusted")));
        QCOMPARE(open(entry(QStringLiteral("Untrusted"), mark, false)), ItemOpener::Result::NoApplication);
        // A trusted entry started afterwards is the sign that launches have had their time.
        const QString control = m_env->home() + QStringLiteral("/control");
        QCOMPARE(open(entry(QStringLiteral("Control"), control, true)), ItemOpener::Result::Opened);
        QTRY_VERIFY(QFile::exists(control));
        QVERIFY(!QFile::exists(mark));
        QVERIFY(m_sink.urls.isEmpty()); // never handed to an editor either
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestItemOpener)
#include "tst_itemopener.moc"
