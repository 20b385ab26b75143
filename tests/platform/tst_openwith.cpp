#include "TestEnvironment.h"
#include "platform/xdg/OpenWith.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The only application and configuration folders the desktop knows here, set before GIO reads them.
QTemporaryDir& desktop() {
    static QTemporaryDir dir;
    return dir;
}
const bool kDesktopSet = qputenv("XDG_DATA_DIRS", QFile::encodeName(desktop().path())) &&
                         qputenv("XDG_CONFIG_DIRS", QFile::encodeName(desktop().path())) &&
                         qputenv("XDG_CURRENT_DESKTOP", "Test");

class TestOpenWith : public QObject {
    Q_OBJECT

    static void write(const QString& name, const QByteArray& content) {
        QFile file(desktop().filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    static void application(const QString& id, const QByteArray& keys, const QByteArray& exec = "true") {
        write(u"applications/"_s + id, "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() +
                                           "\nExec=" + exec + "\n" + keys + "\n");
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(desktop().path()).mkpath(u"applications"_s));
        QVERIFY(QFile::link(u"/usr/share/mime"_s, desktop().filePath(u"mime"_s)));
        application(u"viewer.desktop"_s, "MimeType=image/png;");
        application(u"painter.desktop"_s, "MimeType=image/png;image/jpeg;");
        application(u"hidden.desktop"_s, "MimeType=image/png;\nHidden=true");
        application(u"menuless.desktop"_s, "MimeType=image/png;\nNoDisplay=true");
        application(u"elsewhere.desktop"_s, "MimeType=image/png;\nOnlyShowIn=Other;");
        application(u"unwanted.desktop"_s, "MimeType=image/png;");
        application(u"added.desktop"_s, "MimeType=image/jpeg;");
        application(u"coder.desktop"_s, "MimeType=text/x-csrc;text/plain;");
        application(u"editor.desktop"_s, "MimeType=text/plain;");
        write(u"writer.sh"_s, "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.out\"\n");
        QFile::setPermissions(desktop().filePath(u"writer.sh"_s), QFile::ReadOwner | QFile::ExeOwner);
        application(u"writer.desktop"_s, "MimeType=text/plain;",
                    desktop().filePath(u"writer.sh %f"_s).toUtf8());
        write(u"applications/mimeapps.list"_s, "[Default Applications]\nimage/png=painter.desktop;\n"
                                               "[Added Associations]\nimage/png=added.desktop;\n"
                                               "[Removed Associations]\nimage/png=unwanted.desktop;\n");
        // The desktop's index of the MimeType keys, as installing applications makes it.
        QCOMPARE(QProcess::execute(u"update-desktop-database"_s, {desktop().filePath(u"applications"_s)}), 0);
    }

    // The default first (marked *), then the rest, each once; hidden entries, removed associations and
    // entries for other desktops left out, menu-less ones kept; those for parent types too.
    void listsTheDesktopsApplicationsForAType_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default, added, kept out")
            << u"image/png"_s << u"painter.desktop* added menuless viewer"_s;
        QTest::newRow("parent type, once each") << u"text/x-csrc"_s << u"coder.desktop* editor writer"_s;
        QTest::newRow("nothing for it") << u"application/x-nothing-at-all"_s << u""_s;
    }
    void listsTheDesktopsApplicationsForAType() {
        QFETCH(QString, type);
        const QList<OpenWith::Application> applications = OpenWith::applicationsFor(type);
        QStringList rest;
        for (const OpenWith::Application& application : applications.mid(1)) {
            QVERIFY(!application.isDefault);
            rest << application.id.chopped(8);
        }
        rest.sort();
        const QString first = applications.isEmpty() ? QString()
                                                     : applications.first().id +
                                                           (applications.first().isDefault ? u"*"_s : u""_s);
        QTEST((QStringList{first} + rest).join(u' ').trimmed(), "expected");
        if (!applications.isEmpty())
            QCOMPARE(applications.first().name, applications.first().id);
    }

    // The chosen application gets the file; an id the desktop does not know starts nothing.
    void launchesTheChosenApplication() {
        const QString file = desktop().filePath(u"a file.txt"_s);
        write(u"a file.txt"_s, "x");
        QVERIFY(OpenWith::launch(u"writer.desktop"_s, {QUrl::fromLocalFile(file)}));
        QTRY_VERIFY(QFileInfo(desktop().filePath(u"writer.sh.out"_s)).size() > 0);
        QFile out(desktop().filePath(u"writer.sh.out"_s));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(out.readAll()), file);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"no application.*nowhere"_s));
        QVERIFY(!OpenWith::launch(u"nowhere.desktop"_s, {QUrl::fromLocalFile(file)}));
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestOpenWith)
#include "tst_openwith.moc"
