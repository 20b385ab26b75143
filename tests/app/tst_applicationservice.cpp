#include "PrivateBus.h"
#include "TestEnvironment.h"
#include "app/ApplicationService.h"
#include "app/CommandLineClient.h"
#include "app/RemoteInstance.h"
#include "model/BackgroundWork.h"
#include "model/NookCodec.h"
#include "model/NookStore.h"
#include "platform/Localization.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <csignal>
#include <future>

#include <sys/resource.h>

class TestApplicationService : public QObject {
    Q_OBJECT
private:
    PrivateBus m_bus;
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<NookStore> m_store;
    std::unique_ptr<ApplicationService> m_service;

    QString dataFile() const { return m_env->home() + u"/data/nooks.json"_qs; }
    // Which nooks the data file holds now, and their items: "A: a b | B: c".
    QString onDisk() const {
        QFile file(dataFile());
        QStringList nooks;
        if (file.open(QIODevice::ReadOnly)) {
            for (const NookGroup& group : NookCodec::decode(file.readAll()).value_or(QList<NookGroup>())) {
                QStringList items;
                for (const NookItem& item : group.items)
                    items << item.name;
                nooks << group.name + u": "_qs + items.join(u' ');
            }
        }
        return nooks.join(u" | "_qs);
    }
    // What `call` makes of the running instance, from another thread while this one serves.
    template <typename Call> auto fromElsewhere(const Call& call) {
        const RemoteInstance instance(m_bus.connect());
        auto reply = std::async(std::launch::async, [&] { return call(instance); });
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                                     20000);
        }();
        return reply.get();
    }
    // A second start's or a launcher's call; `onReply` runs on that thread the moment the answer is in.
    QDBusMessage callFromElsewhere(const char* interface, const QString& method,
                                   const QVariantList& arguments, const std::function<void()>& onReply = {}) {
        return fromElsewhere([&](const RemoteInstance& instance) {
            QDBusMessage answer = instance.call(QLatin1String(interface), method, arguments);
            if (onReply)
                onReply();
            return answer;
        });
    }
    QDBusMessage add(const QStringList& uris, const QString& nook,
                     const std::function<void()>& onReply = {}) {
        return callFromElsewhere(ApplicationService::kOwnInterface, u"Add"_qs, {uris, nook}, onReply);
    }
    QString uri(const QString& path) const {
        return QString::fromUtf8(QUrl::fromLocalFile(m_env->makeFile(path)).toEncoded());
    }

private slots:
    void initTestCase() {
        Localization::install(QLocale(QLocale::English));
        if (!m_bus.start())
            QSKIP("dbus-daemon is not installed");
    }
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_store = std::make_unique<NookStore>(m_env->makeFolder(u"data"_qs));
        m_store->renameGroup(m_store->groups().first().id, u"Current"_qs);
        m_service = std::make_unique<ApplicationService>(m_bus.connect());
        QCOMPARE(m_service->registerOnBus(), ApplicationService::Registration::Owner);
        m_service->attach(*m_store);
        m_store->waitForSaves();
    }
    void cleanup() {
        m_service.reset();
        m_store.reset();
        m_env.reset();
    }

    // A second start finds the first; once the first has ended the next start owns the name again.
    void secondStartReachesTheFirst() {
        ApplicationService second(m_bus.connect());
        QCOMPARE(second.registerOnBus(), ApplicationService::Registration::AlreadyRunning);
        QVERIFY(RemoteInstance(m_bus.connect()).isRunning());
        m_service.reset();
        QTRY_VERIFY(!RemoteInstance(m_bus.connect()).isRunning());
        ApplicationService next(m_bus.connect());
        QCOMPARE(next.registerOnBus(), ApplicationService::Registration::Owner);
    }

    // Add answers once its files are in the data file on disk, and quietly: a new nook is made without
    // becoming current. The name is trimmed; what is no URI comes back as refused, next to duplicates.
    void addAnswersOnceTheFilesAreOnDisk() {
        QString seenAtReply;
        const QString a = uri(u"docs/a b.txt"_qs);
        const QDBusMessage reply =
            add({a, u"http://exa mple/%zz"_qs}, u" Work "_qs, [&] { seenAtReply = onDisk(); });
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(seenAtReply, u"Current:  | Work: a b"_qs);
        QCOMPARE(reply.arguments().value(0).toStringList(), QStringList{a});
        QCOMPARE(reply.arguments().value(2).toStringList(), QStringList{u"http://exa mple/%zz"_qs});
        QCOMPARE(m_store->selectedGroup()->name, u"Current"_qs);

        // So does the command line's; given a name in another case, it says which nook that took.
        m_store->addGroup(u"WORK"_qs, NookStore::Selection::Keep);
        uri(u"c.txt"_qs);
        QString told;
        const int status = fromElsewhere([&](const RemoteInstance& instance) {
            QTextStream out(stdout), err(&told);
            const auto request = CommandLine::parse(
                {u"tuckaway"_qs, u"--nook"_qs, u"work"_qs, u"docs/a b.txt"_qs, u"c.txt"_qs}, m_env->home());
            const int result = CommandLineClient::call(request, instance, out, err);
            seenAtReply = onDisk();
            return result;
        });
        QCOMPARE(status, 0);
        QCOMPARE(told, u"tuckaway: used the nook “Work” (also matching: “WORK”)\n"_qs
                       u"tuckaway: not added, already in the nook: "_qs +
                           m_env->home() + u"/docs/a b.txt\n"_qs);
        QCOMPARE(seenAtReply, u"Current:  | Work: a b c | WORK: "_qs);

        // So does Import, a nook at a time, with the items' names from the document.
        const QString document =
            m_env->makeFile(u"nooks.export.json"_qs,
                            R"({"tuckaway-nooks": 1, "nooks": [{"name": "Work", "items": [{"path": ")" +
                                m_env->home().toUtf8() + R"(/d.txt", "name": "Dee"}]},
                                         {"name": "Home", "items": []}]})");
        uri(u"d.txt"_qs);
        const QDBusMessage imported = callFromElsewhere(ApplicationService::kOwnInterface, u"Import"_qs,
                                                        {document}, [&] { seenAtReply = onDisk(); });
        QCOMPARE(seenAtReply, u"Current:  | Work: a b c Dee | WORK:  | Home: "_qs);
        QCOMPARE(imported.arguments().value(3).toUInt(), 1u);
    }

    // A launcher's files reach the application as they came; its actions are typed, and names are exact.
    void launchersAndActions() {
        QSignalSpy opened(m_service.get(), &ApplicationService::openRequested);
        QSignalSpy actions(m_service.get(), &ApplicationService::actionRequested);
        callFromElsewhere(
            ApplicationService::kInterface, u"Open"_qs,
            {QStringList{u"file:///tmp/a%20b.txt"_qs, u"http://exa mple/%zz"_qs}, QVariantMap()});
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened.first().first().toStringList(),
                 QStringList({u"file:///tmp/a%20b.txt"_qs, u"http://exa mple/%zz"_qs}));
        for (const char* action : {"settings", "Settings", "quit", "show"})
            callFromElsewhere(ApplicationService::kInterface, u"ActivateAction"_qs,
                              {QLatin1String(action), QVariantList(), QVariantMap()});
        callFromElsewhere(ApplicationService::kOwnInterface, u"Toggle"_qs, {});
        QTRY_COMPARE(actions.size(), 3);
        QCOMPARE(actions.at(0).first().value<AppAction>(), AppAction::OpenSettings);
        QCOMPARE(actions.at(1).first().value<AppAction>(), AppAction::Quit);
        QCOMPARE(actions.at(2).first().value<AppAction>(), AppAction::TogglePanel);
    }

    // Calls too big to serve in a moment are refused at once, with the reason; so is a change the disk did
    // not take, which stays in memory for the next save.
    void refusalsSayWhy_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<QString>("error");
        QTest::newRow("name too long")
            << 1 << ApplicationService::kMaxNameLength + 1 << u"org.freedesktop.DBus.Error.InvalidArgs"_qs;
        QTest::newRow("too many files")
            << ApplicationService::kMaxUris + 1 << 4 << u"org.freedesktop.DBus.Error.InvalidArgs"_qs;
        QTest::newRow("disk full") << 1 << 4 << QString::fromLatin1(ApplicationService::kNotSaved);
    }
    void refusalsSayWhy() {
        QFETCH(int, files);
        QFETCH(int, nameLength);
        QFETCH(QString, error);
        const bool full = error == QLatin1String(ApplicationService::kNotSaved);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        if (full) {
            ::signal(SIGXFSZ, SIG_IGN);
            limit.rlim_cur = 10;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const QDBusMessage reply = add(QStringList(files, uri(u"x.txt"_qs)), QString(nameLength, u'n'));
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        QCOMPARE(reply.errorName(), error);
        QCOMPARE(m_store->groups().size(), full ? 2 : 1);
    }

    // The data is read while the tray icon docks: a call that needs the nooks before they are there asks for
    // them and is served; with none to be had it is refused, not left unanswered.
    void callsBeforeTheNooksAskForThem_data() {
        QTest::addColumn<bool>("given");
        QTest::newRow("given") << true;
        QTest::newRow("none") << false;
    }
    void callsBeforeTheNooksAskForThem() {
        QFETCH(bool, given);
        m_service.reset();
        m_service = std::make_unique<ApplicationService>(m_bus.connect());
        QCOMPARE(m_service->registerOnBus(), ApplicationService::Registration::Owner);
        if (given)
            connect(m_service.get(), &ApplicationService::storeNeeded, this,
                    [this] { m_service->attach(*m_store); });
        const QDBusMessage names = callFromElsewhere(ApplicationService::kOwnInterface, u"NookNames"_qs, {});
        QCOMPARE(names.errorName(), given ? QString() : u"org.freedesktop.DBus.Error.Failed"_qs);
        if (given)
            QCOMPARE(names.arguments().value(0).toStringList(), QStringList{u"Current"_qs});
    }

    // A listing that has to look for 1,000 gone files is made in the background: the instance keeps answering
    // meanwhile, and a file added meanwhile is added.
    void listingNeverHoldsUpTheBus() {
        // Listing looks for 1,000 missing targets. With every background worker held, the
        // listing cannot answer; the owner must still answer pings and an Add meanwhile.
        for (int i = 0; i < 1000; ++i)
            m_store->addItem(NookItem{QUuid::createUuid(), u"gone"_qs,
                                      QByteArray("/no/such/place/") + QByteArray::number(i)},
                             m_store->groups().first().id);
        const int workers = BackgroundWork::pool().maxThreadCount();
        QSemaphore started, held;
        for (int i = 0; i < workers; ++i)
            BackgroundWork::run(
                [&] {
                    started.release();
                    held.acquire();
                },
                BackgroundWork::UserWaits);
        started.acquire(workers);
        auto letGo = qScopeGuard([&] { held.release(workers); });
        auto listing = std::async(std::launch::async, [this] {
            return RemoteInstance(m_bus.connect())
                .call(QLatin1String(ApplicationService::kOwnInterface), u"List"_qs);
        });
        auto pings = std::async(std::launch::async, [this] {
            const RemoteInstance instance(m_bus.connect());
            int answered = 0;
            for (int i = 0; i < 20; ++i)
                answered +=
                    instance.call(QLatin1String(ApplicationService::kOwnInterface), u"Version"_qs).type() ==
                    QDBusMessage::ReplyMessage;
            return answered;
        });
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(pings.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                                     20000);
        }();
        QCOMPARE(pings.get(), 20);
        const QString file = uri(u"late.txt"_qs);
        QCOMPARE(add({file}, {}).arguments().value(0).toStringList(), QStringList{file});
        QVERIFY(listing.wait_for(std::chrono::seconds(0)) != std::future_status::ready);
        held.release(workers);
        letGo.dismiss();
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(listing.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                                     20000);
        }();
        QCOMPARE(listing.get().arguments().value(0).toString().count(u"\"missing\": true"_qs), 1000);
    }

    void aHungInstanceIsGivenUpOnWithinASecond() {
        // The owner's thread is this one, blocked in the call: it cannot answer.
        QElapsedTimer timer;
        timer.start();
        const QDBusMessage reply = RemoteInstance(m_bus.connect())
                                       .call(QLatin1String(ApplicationService::kOwnInterface), u"Quit"_qs);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY(timer.elapsed() < 2 * RemoteInstance::kProbeTimeoutMs);
    }
};

TUCKAWAY_TEST_GUILESS_MAIN(TestApplicationService)
#include "tst_applicationservice.moc"
