#include "TestEnvironment.h"
#include "app/CommandLine.h"
#include "app/StoreCommands.h"
#include "model/NookStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QUrl>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    // Paths are taken from the caller's folder and so are relative "file:" URIs; other URIs
    // stay as they are. Spaces, non-ASCII names and a colon in a name survive.
    void argumentsBecomeUris() {
        const QStringList arguments{u"notes.txt"_qs,
                                    u"../up/Report 2024.pdf"_qs,
                                    u"/abs/./x/../y"_qs,
                                    u"Grüße.md"_qs,
                                    u"a:b.txt"_qs,
                                    QString(),
                                    u"file:///tmp/some%20file"_qs,
                                    u"https://example.org/a?b=c"_qs,
                                    u"file:/tmp/short"_qs,
                                    u"file:rel%20x.txt"_qs,
                                    u"file:../up"_qs};
        QCOMPARE(
            CommandLine::toUris(arguments, u"/home/me/work"_qs),
            QStringList({u"file:///home/me/work/notes.txt"_qs, u"file:///home/me/up/Report%202024.pdf"_qs,
                         u"file:///abs/y"_qs, u"file:///home/me/work/Gr%C3%BC%C3%9Fe.md"_qs,
                         u"file:///home/me/work/a:b.txt"_qs, u"file:///tmp/some%20file"_qs,
                         u"https://example.org/a?b=c"_qs, u"file:///tmp/short"_qs,
                         u"file:///home/me/work/rel%20x.txt"_qs, u"file:///home/me/up"_qs}));
    }

    void requests_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("nook");
        QTest::addColumn<int>("files");
        using A = CommandLine::Action;
        const auto row = [](const char* name, QStringList arguments, A action, const QString& nook = {},
                            int files = 0) {
            arguments.prepend(u"tuckaway"_qs);
            QTest::newRow(name) << arguments << int(action) << nook << files;
        };
        row("nothing", {}, A::Start);
        row("files", {u"a"_qs, u"b"_qs}, A::Add, {}, 2);
        row("into a nook, name trimmed", {u"--nook"_qs, u" Work "_qs, u"a"_qs}, A::Add, u"Work"_qs, 1);
        row("list as JSON", {u"--list"_qs, u"--json"_qs}, A::List);
        row("quit", {u"--quit"_qs}, A::Quit);
        row("version wins over the rest", {u"--version"_qs, u"--quit"_qs}, A::Version);
        row("unknown option", {u"--frobnicate"_qs}, A::BadUsage);
        row("two actions", {u"--show"_qs, u"--quit"_qs}, A::BadUsage);
        row("an action with files", {u"--toggle"_qs, u"a"_qs}, A::BadUsage);
        row("json without list", {u"--json"_qs}, A::BadUsage);
        row("nook without files", {u"--nook"_qs, u"Work"_qs}, A::BadUsage);
        row("blank nook", {u"--nook"_qs, u"  "_qs, u"a"_qs}, A::BadUsage);
        row("only an empty file name", {QString()}, A::BadUsage);
    }
    void requests() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, nook);
        QFETCH(int, files);
        const CommandLine::Request request = CommandLine::parse(arguments, u"/home/me"_qs);
        QCOMPARE(int(request.action), action);
        QCOMPARE(request.error.isEmpty(), action != int(CommandLine::Action::BadUsage));
        if (action == int(CommandLine::Action::BadUsage))
            return;
        QCOMPARE(request.nook, nook);
        QCOMPARE(request.uris.size(), files);
    }

    // Files go into the nook named (made when there is none), or else the current one (the
    // last made); the listing tells an item whose target is gone.
    void handOverAndListing() {
        TestEnvironment env;
        NookStore store(env.makeFolder(u"data"_qs));
        store.addGroup(u"Work"_qs);
        store.addGroup(u"Later"_qs);
        const auto handOver = [&](const QString& name, const QString& nook) {
            const QUrl url = QUrl::fromLocalFile(env.makeFile(name));
            return StoreCommands::handOver(store, {url}, nook).added == QList<QUrl>{url};
        };
        QVERIFY(handOver(u"a.txt"_qs, u"Work"_qs));
        QVERIFY(handOver(u"b.txt"_qs, QString()));
        QVERIFY(handOver(u"c.txt"_qs, u"New"_qs));
        QVERIFY(QFile::remove(env.home() + u"/c.txt"_qs));
        const QJsonArray nooks = QJsonDocument::fromJson(StoreCommands::listing(store).toUtf8()).array();
        const auto item = [&](int nook) { return nooks[nook][u"items"_qs][0]; };
        QCOMPARE(nooks.size(), 4);
        QCOMPARE(item(1)[u"name"_qs].toString(), u"a"_qs);
        QCOMPARE(item(2)[u"name"_qs].toString(), u"b"_qs);
        QCOMPARE(nooks[3][u"name"_qs].toString(), u"New"_qs);
        QVERIFY(item(3)[u"missing"_qs].toBool() && item(3)[u"path"_qs].isNull());
        QCOMPARE(item(1)[u"path"_qs].toString(), env.home() + u"/a.txt"_qs);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
