#include "TestEnvironment.h"
#include "app/CommandLine.h"

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
        const QStringList uris = CommandLine::toUris(
            {QStringLiteral("file:///tmp/some%20file"), QStringLiteral("https://example.org/a?b=c"),
             QString(), QStringLiteral("file:/tmp/short"), QStringLiteral("file:rel%20x.txt"),
             QStringLiteral("file:../up")},
            QStringLiteral("/elsewhere/here"));
        QCOMPARE(uris, QStringList({QStringLiteral("file:///tmp/some%20file"),
                                    QStringLiteral("https://example.org/a?b=c"),
                                    QStringLiteral("file:///tmp/short"),
                                    QStringLiteral("file:///elsewhere/here/rel%20x.txt"),
                                    QStringLiteral("file:///elsewhere/up")}));
    }

    void requests_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("nook");
        QTest::addColumn<int>("files");
        using A = CommandLine::Action;
        const auto row = [](const char* name, QStringList arguments, A action, const QString& nook = {},
                            int files = 0) {
            arguments.prepend(QStringLiteral("tuckaway"));
            QTest::newRow(name) << arguments << int(action) << nook << files;
        };
        row("nothing", {}, A::Start);
        row("files", {QStringLiteral("a"), QStringLiteral("b")}, A::Add, {}, 2);
        row("file named like an option after --", {QStringLiteral("--"), QStringLiteral("--help")}, A::Add,
            {}, 1);
        row("into a nook, name trimmed",
            {QStringLiteral("--nook"), QStringLiteral(" Work "), QStringLiteral("a")}, A::Add,
            QStringLiteral("Work"), 1);
        row("list as JSON", {QStringLiteral("--list"), QStringLiteral("--json")}, A::List);
        row("quit", {QStringLiteral("--quit")}, A::Quit);
        row("short help", {QStringLiteral("-h")}, A::Help);
        row("version wins over the rest", {QStringLiteral("--version"), QStringLiteral("--quit")},
            A::Version);
        row("unknown option", {QStringLiteral("--frobnicate")}, A::BadUsage);
        row("two actions", {QStringLiteral("--show"), QStringLiteral("--quit")}, A::BadUsage);
        row("an action with files", {QStringLiteral("--toggle"), QStringLiteral("a")}, A::BadUsage);
        row("json without list", {QStringLiteral("--json")}, A::BadUsage);
        row("nook without files", {QStringLiteral("--nook"), QStringLiteral("Work")}, A::BadUsage);
        row("blank nook", {QStringLiteral("--nook"), QStringLiteral("  "), QStringLiteral("a")}, A::BadUsage);
        row("only an empty file name", {QString()}, A::BadUsage);
    }
    void requests() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, nook);
        QFETCH(int, files);
        const CommandLine::Request request = CommandLine::parse(arguments, QStringLiteral("/home/me"));
        QCOMPARE(int(request.action), action);
        QCOMPARE(request.error.isEmpty(), action != int(CommandLine::Action::BadUsage));
        if (action == int(CommandLine::Action::BadUsage))
            return;
        QCOMPARE(request.nook, nook);
        QCOMPARE(request.uris.size(), files);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
