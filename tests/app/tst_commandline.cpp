#include "CommandLine.h"
#include "TestEnvironment.h"

#include <QTest>
#include <QUrl>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void pathsBecomeFileUris() {
        const QStringList uris = CommandLine::toUris(
            {QStringLiteral("notes.txt"), QStringLiteral("../up/Report 2024.pdf"),
             QStringLiteral("/abs/./x/../y"), QStringLiteral("Grüße.md"), QStringLiteral("a:b.txt")},
            QStringLiteral("/home/me/work"));
        QCOMPARE(uris.size(), 5);
        QCOMPARE(QUrl(uris[0]).toLocalFile(), QStringLiteral("/home/me/work/notes.txt"));
        QCOMPARE(QUrl(uris[1]).toLocalFile(), QStringLiteral("/home/me/up/Report 2024.pdf"));
        QCOMPARE(QUrl(uris[2]).toLocalFile(), QStringLiteral("/abs/y"));
        // Spaces and non-ASCII names survive the trip through a URI string.
        QCOMPARE(QUrl(uris[3]).toLocalFile(), QStringLiteral("/home/me/work/Grüße.md"));
        QVERIFY(uris[1].contains(QLatin1String("%20")));
        // A colon in a file name does not make it a URI.
        QCOMPARE(QUrl(uris[4]).toLocalFile(), QStringLiteral("/home/me/work/a:b.txt"));
    }

    void urisStayUris() {
        const QStringList uris = CommandLine::toUris({QStringLiteral("file:///tmp/some%20file"),
                                                      QStringLiteral("https://example.org/a?b=c"), QString(),
                                                      QStringLiteral("file:/tmp/short")},
                                                     QStringLiteral("/elsewhere"));
        QCOMPARE(uris, QStringList({QStringLiteral("file:///tmp/some%20file"),
                                    QStringLiteral("https://example.org/a?b=c"),
                                    QStringLiteral("file:///tmp/short")}));
    }

    void onlyHelpVersionAndMistakesPrint_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("prints");
        QTest::newRow("nothing") << QStringList{QStringLiteral("tuckaway")} << false;
        QTest::newRow("files") << QStringList{QStringLiteral("tuckaway"), QStringLiteral("a"),
                                              QStringLiteral("b")}
                               << false;
        QTest::newRow("file named like an option after --")
            << QStringList{QStringLiteral("tuckaway"), QStringLiteral("--"), QStringLiteral("--help")}
            << false;
        QTest::newRow("help") << QStringList{QStringLiteral("tuckaway"), QStringLiteral("--help")} << true;
        QTest::newRow("short help") << QStringList{QStringLiteral("tuckaway"), QStringLiteral("-h")} << true;
        QTest::newRow("version") << QStringList{QStringLiteral("tuckaway"), QStringLiteral("--version")}
                                 << true;
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("tuckaway"), QStringLiteral("--frobnicate")} << true;
    }
    void onlyHelpVersionAndMistakesPrint() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, prints);
        QCOMPARE(CommandLine::onlyPrints(arguments), prints);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
