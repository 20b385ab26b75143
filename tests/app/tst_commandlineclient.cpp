#include "ApplicationService.h"
#include "CommandLineClient.h"
#include "Localization.h"
#include "NookStore.h"
#include "PrivateBus.h"
#include "RemoteInstance.h"
#include "StoreCommands.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <future>

// The command line against an instance whose store is real, over a private bus.
class TestCommandLineClient : public QObject {
    Q_OBJECT
private:
    PrivateBus m_bus;
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<ApplicationService> m_service;
    QString m_home = QDir::homePath();

    struct Outcome {
        std::optional<int> status;
        QString out, err;
    };
    Outcome run(const QStringList& arguments) {
        const CommandLine::Request request =
            CommandLine::parse(QStringList{QStringLiteral("tuckaway")} + arguments, m_home);
        const RemoteInstance instance(m_bus.connect());
        // The client blocks; this thread serves the instance meanwhile.
        auto outcome = std::async(std::launch::async, [&] {
            Outcome o;
            QTextStream out(&o.out), err(&o.err);
            o.status = CommandLineClient::run(request, instance, out, err);
            return o;
        });
        [&] { QTRY_VERIFY(outcome.wait_for(std::chrono::seconds(0)) == std::future_status::ready); }();
        return outcome.get();
    }
    QStringList names() const {
        QStringList names;
        for (const NookGroup& group : m_store->groups()) {
            QStringList items;
            for (const NookItem& item : group.items)
                items << item.name;
            names << group.name + QLatin1Char(':') + items.join(QLatin1Char(','));
        }
        return names;
    }

private slots:
    void initTestCase() {
        Localization::install(QLocale(QLocale::English));
        if (!m_bus.start())
            QSKIP("dbus-daemon is not installed");
    }

    void withoutAnInstanceOnlyStartsMayProceed_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("handsOver");
        QTest::newRow("list") << QStringList{QStringLiteral("--list")} << false;
        QTest::newRow("quit") << QStringList{QStringLiteral("--quit")} << false;
        QTest::newRow("show") << QStringList{QStringLiteral("--show")} << true;
        QTest::newRow("files") << QStringList{QStringLiteral("a")} << true;
    }
    void withoutAnInstanceOnlyStartsMayProceed() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, handsOver);
        const Outcome outcome = run(arguments);
        QCOMPARE(!outcome.status, handsOver);
        if (!handsOver) {
            QCOMPARE(*outcome.status, int(CommandLineClient::NothingDone));
            QVERIFY(outcome.err.contains(QLatin1String("not running")));
        }
    }

    void instanceUp() {
        m_store = std::make_unique<NookStore>();
        m_service = std::make_unique<ApplicationService>(m_bus.connect());
        QCOMPARE(m_service->registerOnBus(), ApplicationService::Registration::Owner);
        m_service->setHandOverHandler([this](const QList<QUrl>& urls, const QString& nook) {
            const HandOverResult r = StoreCommands::handOver(*m_store, urls, nook);
            const auto uris = [](const QList<QUrl>& l) {
                QStringList s;
                for (const QUrl& u : l)
                    s << u.toString();
                return s;
            };
            return ApplicationService::HandOver{uris(r.added), uris(r.duplicates), uris(r.rejected)};
        });
        m_service->setListHandler([this] { return StoreCommands::listing(*m_store); });
        QCOMPARE(names(), QStringList{QStringLiteral("Favorites:")});
    }

    void filesGoWhereAskedAndFailuresAreNamed_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("errorLines");
        QTest::addColumn<QStringList>("nooks");
        const QString fav = QStringLiteral("Favorites:");
        QTest::newRow("current nook, one missing")
            << QStringList{QStringLiteral("plan.txt"), QStringLiteral("gone.txt")} << 0
            << QStringList{QStringLiteral("no such local file: %1/gone.txt").arg(m_home)}
            << QStringList{fav + QStringLiteral("plan")};
        QTest::newRow("nothing new")
            << QStringList{QStringLiteral("plan.txt")} << 1
            << QStringList{QStringLiteral("already in the nook: %1/plan.txt").arg(m_home)}
            << QStringList{fav + QStringLiteral("plan")};
        QTest::newRow("a new nook") << QStringList{QStringLiteral("--nook"), QStringLiteral("Work"),
                                                   QStringLiteral("plan.txt")}
                                    << 0 << QStringList{}
                                    << QStringList{fav + QStringLiteral("plan"), QStringLiteral("Work:plan")};
        QTest::newRow("the existing nook of that name")
            << QStringList{QStringLiteral("--nook"), QStringLiteral("Work"), QStringLiteral("notes.md")} << 0
            << QStringList{} << QStringList{fav + QStringLiteral("plan"), QStringLiteral("Work:plan,notes")};
        QTest::newRow("only missing files")
            << QStringList{QStringLiteral("/no/such/file")} << 1
            << QStringList{QStringLiteral("no such local file: /no/such/file")}
            << QStringList{fav + QStringLiteral("plan"), QStringLiteral("Work:plan,notes")};
    }
    void filesGoWhereAskedAndFailuresAreNamed() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, errorLines);
        QFETCH(QStringList, nooks);
        QFile(m_home + QStringLiteral("/plan.txt")).open(QIODevice::WriteOnly);
        QFile(m_home + QStringLiteral("/notes.md")).open(QIODevice::WriteOnly);
        const Outcome outcome = run(arguments);
        QCOMPARE(outcome.status, std::optional<int>(status));
        QStringList lines = outcome.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString& line : lines)
            line = line.section(QLatin1String("not added, "), 1);
        QCOMPARE(lines, errorLines);
        QCOMPARE(names(), nooks);
    }

    void listsPathsOrMissing() {
        QFile::remove(m_home + QStringLiteral("/notes.md"));
        Outcome outcome = run({QStringLiteral("--list")});
        QCOMPARE(outcome.status, std::optional<int>(0));
        QCOMPARE(
            outcome.out,
            QStringLiteral("Favorites\n  plan\t%1/plan.txt\nWork\n  plan\t%1/plan.txt\n  notes\tmissing\n")
                .arg(m_home));
        outcome = run({QStringLiteral("--list"), QStringLiteral("--json")});
        QCOMPARE(CommandLineClient::plainListing(outcome.out), run({QStringLiteral("--list")}).out);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestCommandLineClient)
#include "tst_commandlineclient.moc"
