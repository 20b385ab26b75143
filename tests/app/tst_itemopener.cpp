#include "ItemOpener.h"
#include "TestEnvironment.h"

#include <QDesktopServices>
#include <QFile>
#include <QTest>

// Receives what would go to the desktop's default application.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestItemOpener : public QObject {
    Q_OBJECT

    TestEnvironment* m_env = nullptr;
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

private slots:
    void init() {
        m_env = new TestEnvironment();
        m_sink.urls.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_sink, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_sink, "open");
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        delete m_env;
    }

    void filesAndLinksGoToTheirDefaultApplication() {
        const QUrl file = QUrl::fromLocalFile(m_env->makeFile(QStringLiteral("docs/a.txt")));
        const QUrl folder = QUrl::fromLocalFile(m_env->makeFolder(QStringLiteral("docs")));
        const QUrl link(QStringLiteral("https://example.org/"));
        ItemOpener::open(file);
        ItemOpener::open(folder);
        ItemOpener::open(link);
        QCOMPARE(m_sink.urls, QList<QUrl>({file, folder, link}));
    }

    void aTrustedApplicationEntryIsStartedNotShown() {
        const QString mark = m_env->home() + QStringLiteral("/started");
        ItemOpener::open(QUrl::fromLocalFile(entry(QStringLiteral("Trusted"), mark, true)));
        QTRY_VERIFY(QFile::exists(mark));
        QVERIFY(m_sink.urls.isEmpty());
    }

    void anUntrustedEntryIsNeitherStartedNorShown() {
        const QString mark = m_env->home() + QStringLiteral("/started");
        const QString path = entry(QStringLiteral("Untrusted"), mark, false);
        ItemOpener::open(QUrl::fromLocalFile(path));
        // A trusted entry started at the same moment is the sign that launches have had their time.
        const QString control = m_env->home() + QStringLiteral("/control");
        ItemOpener::open(QUrl::fromLocalFile(entry(QStringLiteral("Control"), control, true)));
        QTRY_VERIFY(QFile::exists(control));
        QVERIFY(!QFile::exists(mark));
        QVERIFY(m_sink.urls.isEmpty()); // never handed to an editor either
    }
};

TUCKAWAY_TEST_GUI_MAIN(TestItemOpener)
#include "tst_itemopener.moc"
