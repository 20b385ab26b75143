#include "TestEnvironment.h"
#include "app/CommandLine.h"
#include "app/CommandLineClient.h"
#include "app/StoreCommands.h"
#include "model/Bookmarks.h"
#include "model/NookStore.h"
#include "platform/Localization.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QUrl>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    // Paths are taken from the caller's folder and so are relative "file:" URIs; other URIs
    // stay as they are. Spaces, non-ASCII names and a colon in a name survive.
    void argumentsBecomeUris() {
        const QList<std::pair<QString, QString>> cases{
            {u"notes.txt"_qs, u"file:///home/me/work/notes.txt"_qs},
            {u"../up/Report 2024.pdf"_qs, u"file:///home/me/up/Report%202024.pdf"_qs},
            {u"/abs/./x/../y"_qs, u"file:///abs/y"_qs},
            {u"Grüße.md"_qs, u"file:///home/me/work/Gr%C3%BC%C3%9Fe.md"_qs},
            {u"a:b.txt"_qs, u"file:///home/me/work/a:b.txt"_qs},
            {u"file:///tmp/some%20file"_qs, u"file:///tmp/some%20file"_qs},
            {u"https://example.org/a?b=c"_qs, u"https://example.org/a?b=c"_qs},
            {u"file:/tmp/short"_qs, u"file:///tmp/short"_qs},
            {u"file:rel%20x.txt"_qs, u"file:///home/me/work/rel%20x.txt"_qs},
            {u"file:../up"_qs, u"file:///home/me/up"_qs}};
        for (const auto& [argument, uri] : cases)
            QCOMPARE(CommandLine::toUris({argument}, u"/home/me/work"_qs), QStringList{uri});
    }

    void requests_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("nook");
        using A = CommandLine::Action;
        const auto row = [](const char* name, QStringList arguments, A action, const QString& nook = {}) {
            arguments.prepend(u"tuckaway"_qs);
            QTest::newRow(name) << arguments << int(action) << nook;
        };
        row("into a nook, name trimmed", {u"--nook"_qs, u" Work "_qs, u"a"_qs}, A::Add, u"Work"_qs);
        row("version wins over the rest", {u"--version"_qs, u"--quit"_qs}, A::Version);
        row("two actions", {u"--show"_qs, u"--quit"_qs}, A::BadUsage);
        row("an action with files", {u"--toggle"_qs, u"a"_qs}, A::BadUsage);
        row("json without list", {u"--json"_qs}, A::BadUsage);
        row("names for completion", {u"--nook-names"_qs}, A::List);
        row("names and the listing", {u"--nook-names"_qs, u"--list"_qs}, A::BadUsage);
        row("names as json", {u"--nook-names"_qs, u"--json"_qs}, A::BadUsage);
        row("nook without files", {u"--nook"_qs, u"Work"_qs}, A::BadUsage);
        row("blank nook", {u"--nook"_qs, u"  "_qs, u"a"_qs}, A::BadUsage);
        row("only an empty file name", {QString()}, A::BadUsage);
        row("a drop on the launcher", {u"--launcher"_qs, u"a"_qs}, A::Launcher);
        row("a name too long", {u"--nook"_qs, QString(1001, u'n'), u"a"_qs}, A::BadUsage);
        row("the longest name", {u"--nook"_qs, QString(1000, u'n'), u"a"_qs}, A::Add, QString(1000, u'n'));
        row("export of one nook", {u"--export"_qs, u"o.json"_qs, u"--nook"_qs, u" Work "_qs}, A::Export,
            u"Work"_qs);
        row("export with files", {u"--export"_qs, u"o.json"_qs, u"a"_qs}, A::BadUsage);
        row("import into a nook", {u"--import"_qs, u"o.json"_qs, u"--nook"_qs, u"W"_qs}, A::BadUsage);
        row("export and import", {u"--export"_qs, u"a"_qs, u"--import"_qs, u"b"_qs}, A::BadUsage);
    }

    // Where no instance runs: what needs one starts it in the background (and returns), never
    // in the caller's place; what only asks one says that none runs.
    void withoutAnInstance() {
        using A = CommandLine::Action;
        using W = CommandLineClient::WithoutInstance;
        const struct {
            A action;
            bool display, bus;
            W expected;
        } cases[] = {
            {A::Quit, true, true, W::NotRunning},
            {A::List, true, true, W::NotRunning},
            {A::Add, true, true, W::StartInBackground},
            {A::Show, true, true, W::StartInBackground},
            {A::Settings, true, true, W::StartInBackground},
            {A::Add, false, true, W::WriteDataFile},
            {A::Toggle, false, true, W::NoDisplay},
            {A::Show, true, false, W::BecomeInstance},
            {A::Start, true, true, W::BecomeInstance},
            {A::Launcher, true, true, W::BecomeInstance},
            {A::Import, true, true, W::WriteDataFile},
        };
        for (const auto& c : cases)
            QCOMPARE(CommandLineClient::withoutInstance(c.action, c.display, c.bus), c.expected);
    }
    void requests() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, nook);
        const CommandLine::Request request = CommandLine::parse(arguments, u"/home/me"_qs);
        QCOMPARE(int(request.action), action);
        QCOMPARE(request.error.isEmpty(), action != int(CommandLine::Action::BadUsage));
        if (action != int(CommandLine::Action::BadUsage))
            QCOMPARE(request.nook, nook);
        if (action == int(CommandLine::Action::Export))
            QCOMPARE(request.file, u"/home/me/o.json"_qs);
    }

    // What a name holds reaches the terminal as text: no escape sequence, no line of its own.
    void plainListingEscapesControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("clear screen, window title")
            << u"\x1b[2J\x1b]0;x\x07"_qs << u"\\x1b[2J\\x1b]0;x\\x07"_qs;
        QTest::newRow("tab, new line, carriage return") << u"a\tb\nFake\r"_qs << u"a\\tb\\nFake\\r"_qs;
        QTest::newRow("NUL, 0x1f, DEL") << QString(u"a\0\x1f\x7f"_qs) << u"a\\x00\\x1f\\x7f"_qs;
        QTest::newRow("C1: CSI and 0x9f") << u"a\u009b31m\u009f"_qs << u"a\\u009b31m\\u009f"_qs;
        QTest::newRow("backslash") << u"a\\nb"_qs << u"a\\\\nb"_qs;
        QTest::newRow("text stays") << u"Grüße ~ 100%"_qs << u"Grüße ~ 100%"_qs;
    }
    void plainListingEscapesControls() {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        const QJsonObject item{{u"name"_qs, name}, {u"path"_qs, u"/x/"_qs + name}};
        const QJsonArray listing{QJsonObject{{u"name"_qs, name}, {u"items"_qs, QJsonArray{item}}}};
        QCOMPARE(CommandLineClient::plainListing(QString::fromUtf8(QJsonDocument(listing).toJson())),
                 shown + u"\n  "_qs + shown + u"\t/x/"_qs + shown + u'\n');
    }

    // The help speaks the session's language, Qt's headings too.
    void helpInTheSessionsLanguage() {
        qputenv("LC_ALL", "de_DE.UTF-8");
        QProcess tuckaway;
        tuckaway.start(QStringLiteral(TUCKAWAY_BINARY), {u"--help"_qs});
        QVERIFY(tuckaway.waitForFinished());
        const QString help = QString::fromUtf8(tuckaway.readAllStandardOutput());
        QVERIFY2(help.contains(u"Optionen:"_qs) && help.contains(u"Das Einstellungsfenster öffnen."_qs),
                 qPrintable(help));
    }

    // Files go into the nook named (the same spelling first, else one that differs in case; made when
    // there is none), or else the current one (the last made); a name that no nook has as spelt but several
    // as written in another case says, in the session's language, which nook it took. The listing tells an
    // item whose target is gone, with no path.
    void handOverAndListing() {
        TestEnvironment env;
        NookStore store(env.makeFolder(u"data"_qs));
        store.addGroup(u"Work"_qs);
        store.addGroup(u"WORK"_qs);
        store.addGroup(u"wOrK"_qs);
        store.addGroup(u"Later"_qs);
        const struct {
            QString file, nook, told;
            QLocale::Language language = QLocale::English;
        } handOvers[] = {
            {u"a.txt"_qs, u"Work"_qs, {}},
            {u"b.txt"_qs, {}, {}},
            {u"c.txt"_qs, u"New"_qs, {}},
            {u"d.txt"_qs, u"later"_qs, {}},
            {u"e.txt"_qs, u"WORK"_qs, {}},
            {u"f.txt"_qs, u"work"_qs, u"tuckaway: used the nook “Work” (also matching: “WORK”, “wOrK”)\n"_qs},
            {u"g.txt"_qs, u"woRK"_qs,
             u"tuckaway: Gruppe „Work“ verwendet (ebenfalls passend: „WORK“, „wOrK“)\n"_qs, QLocale::German},
        };
        for (const auto& h : handOvers) {
            Localization::install(QLocale(h.language));
            env.makeFile(h.file);
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            const QStringList nook = h.nook.isEmpty() ? QStringList() : QStringList{u"--nook"_qs, h.nook};
            const auto request = CommandLine::parse(QStringList{u"tuckaway"_qs} + nook << h.file, env.home());
            QCOMPARE(CommandLineClient::carryOutHere(request, store, outStream, errStream), 0);
            errStream.flush();
            QCOMPARE(err, h.told);
        }
        Localization::install(QLocale(QLocale::English));
        QVERIFY(QFile::remove(env.home() + u"/c.txt"_qs));
        QStringList listed;
        for (const QJsonValue nook :
             QJsonDocument::fromJson(StoreCommands::listing(store.groups()).toUtf8()).array())
            for (const QJsonValue item : nook[u"items"_qs].toArray())
                listed << nook[u"name"_qs].toString() + u' ' +
                              item[u"path"_qs].toString(item[u"missing"_qs].toBool() ? u"missing"_qs
                                                                                     : u"?"_qs);
        const QString home = env.home();
        QCOMPARE(listed, QStringList({u"Work "_qs + home + u"/a.txt"_qs, u"Work "_qs + home + u"/f.txt"_qs,
                                      u"Work "_qs + home + u"/g.txt"_qs, u"WORK "_qs + home + u"/e.txt"_qs,
                                      u"Later "_qs + home + u"/b.txt"_qs, u"Later "_qs + home + u"/d.txt"_qs,
                                      u"New missing"_qs}));
    }

    // Exported nooks come back in an empty data folder with the names of nooks and items, as new records; a
    // path where nothing is any more is reported, not added, and a second import skips what is there.
    // --nook exports one nook; a name nobody has, and the data file itself, are refused.
    void exportThenImport() {
        TestEnvironment env;
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const auto run = [&](const QStringList& arguments, NookStore& store) {
            out.clear();
            err.clear();
            const auto request = CommandLine::parse(QStringList{u"tuckaway"_qs} + arguments, env.home());
            const int status = CommandLineClient::carryOutHere(request, store, outStream, errStream);
            outStream.flush();
            errStream.flush();
            return status;
        };
        const auto add = [&](NookStore& store, const QString& path, const QString& name, const QUuid& group) {
            store.addItem({QUuid::createUuid(), name,
                           *Bookmarks::makeBookmark(QUrl::fromLocalFile(env.makeFile(path)))},
                          group);
        };
        QSet<QUuid> exported; // the ids there
        {
            NookStore here(env.makeFolder(u"here"_qs));
            const QUuid work = here.groups().first().id;
            here.renameGroup(work, u"Work"_qs);
            add(here, u"docs/plan.txt"_qs, u"My Plan"_qs, work);
            add(here, u"docs/gone.txt"_qs, u"Gone"_qs, work);
            here.addGroup(u"Empty"_qs);
            add(here, u"x.txt"_qs, u"x"_qs, here.addGroup(u"Other"_qs));
            QVERIFY(QFile::remove(env.home() + u"/docs/gone.txt"_qs));
            QCOMPARE(run({u"--export"_qs, u"all.json"_qs}, here), 0);
            QCOMPARE(out, u"Exported 3 nooks with 3 items to "_qs + env.home() + u"/all.json\n"_qs);
            QCOMPARE(run({u"--export"_qs, u"one.json"_qs, u"--nook"_qs, u"Other"_qs}, here), 0);
            QCOMPARE(run({u"--export"_qs, u"no.json"_qs, u"--nook"_qs, u"Nobody"_qs}, here), 1);
            QCOMPARE(run({u"--export"_qs, here.saveURL().toLocalFile()}, here), 1);
            QVERIFY(!QFile::exists(env.home() + u"/no.json"_qs));
            for (const NookGroup& group : here.groups()) {
                exported << group.id;
                for (const NookItem& item : group.items)
                    exported << item.id;
            }
        }
        NookStore there(env.makeFolder(u"there"_qs));
        QCOMPARE(run({u"--import"_qs, u"all.json"_qs}, there), 0);
        QCOMPARE(err, u"tuckaway: not added, no such local file: "_qs + env.home() + u"/docs/gone.txt\n"_qs);
        QCOMPARE(out, u"Imported 2 items, 3 new nooks; skipped 0 already there and 1 not found\n"_qs);
        QStringList listed;
        for (const NookGroup& group : there.groups().mid(1)) { // after the default nook
            listed << group.name;
            QVERIFY(!exported.contains(group.id));
            for (const NookItem& item : group.items) {
                listed << item.name + u' ' + Bookmarks::resolvePath(item.bookmarkData).value_or(QString());
                QVERIFY(!exported.contains(item.id));
            }
        }
        QCOMPARE(listed, QStringList({u"Work"_qs, u"My Plan "_qs + env.home() + u"/docs/plan.txt"_qs,
                                      u"Empty"_qs, u"Other"_qs, u"x "_qs + env.home() + u"/x.txt"_qs}));
        there.waitForSaves();
        QCOMPARE(NookStore(env.home() + u"/there"_qs).groups(), there.groups());
        QCOMPARE(run({u"--import"_qs, u"one.json"_qs}, there), 1);
        QCOMPARE(out, u"Imported 0 items, 0 new nooks; skipped 1 already there and 0 not found\n"_qs);
        QCOMPARE(run({u"--import"_qs, there.saveURL().toLocalFile()}, there), 1); // no export
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
