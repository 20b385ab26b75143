// The real executable answering on the bus while it works: it is started on Qt's offscreen
// platform with a private session bus and a nook of many items, and a client asks for its
// version every 5 ms throughout. Prints, for each step, the longest and the median reply
// to those pings:
//   - an Open of many files, with a second start (`tuckaway FILE`) handing one over meanwhile;
//   - an Add of as many files into a new nook, in calls of at most 10,000 files (as the
//     command line sends them), until every call has answered;
//   - a List of every item;
//   - quitting: from the Quit call until the process has ended.
// A reply also waits for the bus and for a core, so each step also prints how long the
// program's main thread ran at most without once waiting for work (read from /proc every
// 5 ms: its CPU time over the ticks in which it never went to sleep).
//   bench_bus <path to tuckaway> [items already in the nook = 1000] [files handed over = 1000]
#include "ChildProcess.h"
#include "HandOverFiles.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {
constexpr int kCallSize = 10000;

QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.tuckaway.Tuckaway"), QStringLiteral("/org/tuckaway/Tuckaway"), interface, method);
    message.setArguments(arguments);
    return message;
}
const QString kOwn = QStringLiteral("org.tuckaway.Tuckaway");

// The CPU time of the longest stretch in which a thread never slept, sampled now and then.
class HoldWatch {
public:
    void follow(qint64 pid) { m_pid = pid; }
    void reset() {
        m_longestNs = m_stretchNs = 0;
        m_last = sample();
    }
    void tick() {
        const Sample now = sample();
        if (!now.valid || !m_last.valid) {
            m_last = now;
            return;
        }
        const qint64 ran = now.cpuNs - m_last.cpuNs;
        // A tick with a sleep in it ends a stretch; what it ran after the sleep starts the next.
        m_stretchNs = now.sleeps == m_last.sleeps ? m_stretchNs + ran : ran;
        m_longestNs = std::max(m_longestNs, m_stretchNs);
        m_last = now;
    }
    double longestMs() const { return m_longestNs / 1e6; }

private:
    struct Sample {
        bool valid = false;
        qint64 cpuNs = 0;
        qint64 sleeps = 0;
    };
    Sample sample() const {
        Sample result;
        QFile stat(QStringLiteral("/proc/%1/task/%1/schedstat").arg(m_pid));
        QFile status(QStringLiteral("/proc/%1/task/%1/status").arg(m_pid));
        if (!m_pid || !stat.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
            return result;
        result.cpuNs = stat.readAll().split(' ').value(0).toLongLong();
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                result.sleeps = line.mid(24).trimmed().toLongLong();
        }
        result.valid = true;
        return result;
    }
    qint64 m_pid = 0;
    qint64 m_longestNs = 0;
    qint64 m_stretchNs = 0;
    Sample m_last;
};

// Asks for the version every 5 ms while it runs and keeps the reply times.
class Pinger {
public:
    Pinger(QDBusConnection connection)
        : m_connection(std::move(connection)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_hold.tick();
            const qint64 sent = m_clock.nsecsElapsed();
            auto* watcher =
                new QDBusPendingCallWatcher(m_connection.asyncCall(call(kOwn, QStringLiteral("Version"))));
            QObject::connect(
                watcher, &QDBusPendingCallWatcher::finished, [this, sent, watcher, step = m_step] {
                    if (step == m_step) // a late answer to an earlier step's ping is not this step's
                        m_replies << (m_clock.nsecsElapsed() - sent) / 1e6;
                    watcher->deleteLater();
                });
        });
    }
    void follow(qint64 pid) { m_hold.follow(pid); }
    void start() {
        ++m_step;
        m_replies.clear();
        m_hold.reset();
        m_clock.start();
        m_timer.start(5);
    }
    // "<n> pings, median <m> ms, longest <l> ms; main thread held <h> ms at most"
    QByteArray stop() {
        m_timer.stop();
        ++m_step;
        std::sort(m_replies.begin(), m_replies.end());
        return QStringLiteral("%1 pings, median %2 ms, longest %3 ms; main thread held %4 ms at most")
            .arg(m_replies.size())
            .arg(m_replies.isEmpty() ? 0 : m_replies.at(m_replies.size() / 2), 0, 'f', 2)
            .arg(m_replies.isEmpty() ? 0 : m_replies.last(), 0, 'f', 2)
            .arg(m_hold.longestMs(), 0, 'f', 1)
            .toUtf8();
    }
    double elapsedMs() const { return m_clock.nsecsElapsed() / 1e6; }

private:
    QDBusConnection m_connection;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QList<double> m_replies;
    int m_step = 0;
    HoldWatch m_hold;
};

// Runs the event loop until `done` holds or a minute has passed. It sleeps between events (the
// pings wake it every 5 ms): a loop that spun would take a core from the program measured.
template <typename Done> void runUntil(Done done) {
    QElapsedTimer timeout;
    timeout.start();
    while (!done() && timeout.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString binary = app.arguments().value(1);
    const int existing = app.arguments().value(2, QStringLiteral("1000")).toInt();
    const int handed = app.arguments().value(3, QStringLiteral("1000")).toInt();
    if (binary.isEmpty() || !QFile::exists(binary)) {
        std::fprintf(stderr, "usage: bench_bus <path to tuckaway> [items] [files]\n");
        return 2;
    }
    QProcess bus;
    const QString address = ChildProcess::startSessionBus(bus);
    if (address.isEmpty()) {
        std::fprintf(stderr, "bench_bus: no dbus-daemon\n");
        return 2;
    }
    QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("bench"));
    QTemporaryDir home;
    const QStringList old =
        HandOverFiles::uris(HandOverFiles::make(home.path() + QStringLiteral("/old"), existing));
    const QStringList fresh =
        HandOverFiles::uris(HandOverFiles::make(home.path() + QStringLiteral("/new"), handed));
    const QStringList second =
        HandOverFiles::uris(HandOverFiles::make(home.path() + QStringLiteral("/second"), 1));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(binary, {});
    QElapsedTimer wait;
    wait.start();
    while (!connection.interface()->isServiceRegistered(kOwn) && wait.elapsed() < 10000)
        QThread::msleep(5);
    for (qsizetype i = 0; i < old.size(); i += kCallSize)
        connection.call(call(kOwn, QStringLiteral("Add"), {old.mid(i, kCallSize), QString()}), QDBus::Block,
                        120000);
    std::printf("%d files handed over, into a nook of %d items, pinged every 5 ms (offscreen)\n", handed,
                existing);
    // Pings on a connection of their own: a big answer to another call must not queue them.
    Pinger pinger(QDBusConnection::connectToBus(address, QStringLiteral("pings")));
    pinger.follow(process.processId());

    // A launcher's Open, and a second start meanwhile (the files are taken from 400 ms on).
    QProcess client;
    client.setProcessEnvironment(environment);
    double clientMs = -1;
    QObject::connect(&client, &QProcess::finished, [&] { clientMs = pinger.elapsedMs() - 450; });
    pinger.start();
    QTimer::singleShot(450, [&] { client.start(binary, {QUrl(second.first()).toLocalFile()}); });
    connection.asyncCall(
        call(QStringLiteral("org.freedesktop.Application"), QStringLiteral("Open"), {fresh, QVariantMap()}));
    const QString dataFile = home.path() + QStringLiteral("/data/Tuckaway/nooks.json");
    // Read on a thread of its own, so that no reply waits for the decoding here.
    std::atomic<double> savedMs = -1;
    std::thread watcher([&] {
        while (savedMs < 0 && pinger.elapsedMs() < 60000) {
            if (HandOverFiles::savedItems(dataFile) >= existing + handed + 1)
                savedMs = pinger.elapsedMs();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    runUntil([&] { return savedMs >= 0 && clientMs >= 0; });
    watcher.join();
    if (savedMs < 0)
        std::printf("  only %lld of %d items saved\n", qlonglong(HandOverFiles::savedItems(dataFile)),
                    existing + handed + 1);
    std::printf("Open, all saved after %.1f ms: %s\n", savedMs.load(), pinger.stop().constData());
    std::printf("  second start handing over one file meanwhile: %.1f ms, exit status %d\n", clientMs,
                client.exitCode());

    // An Add into a new nook, as the command line sends it: every call answers once on disk.
    int answered = 0, calls = 0;
    pinger.start();
    const QStringList again =
        HandOverFiles::uris(HandOverFiles::make(home.path() + QStringLiteral("/again"), handed));
    for (qsizetype i = 0; i < again.size(); i += kCallSize, ++calls) {
        auto* pending = new QDBusPendingCallWatcher(connection.asyncCall(
            call(kOwn, QStringLiteral("Add"), {again.mid(i, kCallSize), QStringLiteral("Added")}), 120000));
        QObject::connect(pending, &QDBusPendingCallWatcher::finished, [&, pending] {
            ++answered;
            pending->deleteLater();
        });
    }
    runUntil([&] { return answered == calls; });
    std::printf("Add in %d calls, all answered after %.1f ms: %s\n", calls, pinger.elapsedMs(),
                pinger.stop().constData());

    bool listed = false;
    pinger.start();
    auto* listing =
        new QDBusPendingCallWatcher(connection.asyncCall(call(kOwn, QStringLiteral("List")), 120000));
    QObject::connect(listing, &QDBusPendingCallWatcher::finished, [&] { listed = true; });
    runUntil([&] { return listed; });
    std::printf("List, answered after %.1f ms: %s\n", pinger.elapsedMs(), pinger.stop().constData());

    QElapsedTimer quitting;
    quitting.start();
    connection.call(call(kOwn, QStringLiteral("Quit")), QDBus::Block, 5000);
    const double answeredMs = quitting.nsecsElapsed() / 1e6;
    process.waitForFinished(10000);
    std::printf("Quit answered after %.1f ms, the process ended after %.1f ms\n", answeredMs,
                quitting.nsecsElapsed() / 1e6);
    bus.terminate();
    bus.waitForFinished();
    return 0;
}
