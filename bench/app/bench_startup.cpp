// Start-up time and idle memory of the real executable beside those of the floor of our
// stack, bench_bare_tray (a Qt program showing nothing but a tray icon, built with this).
// Each run starts the program on a private X server (Xvfb with openbox and tint2's tray
// when installed, else Qt's offscreen platform) and a private session bus, with fresh XDG
// folders, and measures until its tray icon is docked in tint2 (and, for `tuckaway`, until
// it owns its bus name and its event loop answers a call on the bus), its resident memory
// after a second of idling and its wake-ups (context switches) over the next idle seconds.
// Then it clicks the tray icon `shows` times, timing each click until the panel is mapped
// and closing it again with the next click, and measures the memory and the wake-ups once
// more and how long quitting takes. Prints medians. With `rest` milliseconds, the pointer
// rests on the icon that long before the first click, as a user's does after aiming at it.
//   bench_startup <path to tuckaway> [runs = 7] [items in the data file = none]
//                 [shows = 100] [idle seconds = 1] [rest = 0]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "ChildProcess.h"
#include "TrayWatch.h"
#include "model/Bookmarks.h"
#include "model/NookCodec.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

namespace {
// The sum of the given fields of a status file of /proc; -1 when it cannot be read.
long statusSum(const QString& path, std::initializer_list<const char*> fields) {
    QFile status(path);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    long total = 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        for (const char* field : fields) {
            if (line.startsWith(field) && line.at(int(qstrlen(field))) == ':')
                total += line.mid(int(qstrlen(field)) + 1).trimmed().split(' ').first().toLong();
        }
    }
    return total;
}

// The sum of the given fields of /proc/PID/status, in KiB.
long statusKiB(qint64 pid, std::initializer_list<const char*> fields) {
    return statusSum(QStringLiteral("/proc/%1/status").arg(pid), fields);
}

long residentKiB(qint64 pid) {
    return statusKiB(pid, {"VmRSS"});
}

// Of the resident memory, what is the process's own: heap and other anonymous pages, and shared
// memory (the X server's images); the rest are pages of files, mostly libraries' code and fonts.
long privateKiB(qint64 pid) {
    return statusKiB(pid, {"RssAnon", "RssShmem"});
}

QDBusMessage action(const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.tuckaway.Tuckaway"), QStringLiteral("/org/tuckaway/Tuckaway"),
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("ActivateAction"));
    call << name << QVariant::fromValue(QVariantList()) << QVariantMap();
    return call;
}

bool startHelper(QProcess& process, const QString& program, const QStringList& arguments,
                 const QString& display, const QString& home) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForStarted(5000);
}

void writeDataFile(const QString& home, int count) {
    const QString target = home + QStringLiteral("/target.txt");
    QFile file(target);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
    const QByteArray bookmark = Bookmarks::makeBookmark(QUrl::fromLocalFile(target)).value_or(QByteArray());
    NookGroup group{QUuid::createUuid(), QStringLiteral("Many"), {}};
    for (int i = 0; i < count; ++i)
        group.items << NookItem{QUuid::createUuid(), QStringLiteral("item %1").arg(i), bookmark};
    QDir().mkpath(home + QStringLiteral("/data/Tuckaway"));
    QFile data(home + QStringLiteral("/data/Tuckaway/nooks.json"));
    if (data.open(QIODevice::WriteOnly))
        data.write(NookCodec::encode({group}));
}

// Context switches of each thread, by its id: each wake-up is one.
QHash<QString, long> contextSwitches(qint64 pid) {
    QHash<QString, long> threads;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const long switches = statusSum(tasks.filePath(task) + QStringLiteral("/status"),
                                        {"voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"});
        if (switches >= 0)
            threads.insert(task, switches);
    }
    return threads;
}

// The wake-ups of the process over `seconds`; a thread that ended meanwhile (a pool's idle
// worker expiring) woke at least once to do so.
long wakeUpsOver(qint64 pid, int seconds) {
    const QHash<QString, long> before = contextSwitches(pid);
    QThread::msleep(1000 * seconds);
    const QHash<QString, long> after = contextSwitches(pid);
    long total = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        total += it.value() - before.value(it.key());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        total += after.contains(it.key()) ? 0 : 1;
    return total;
}

// Time on a CPU so far, every thread's, in ms: what a step cost the process whatever the load.
double cpuMs(qint64 pid) {
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            total += schedstat.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    return total;
}

int threadCount(qint64 pid) {
    return int(
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

struct Figures {
    QList<double> busMs, startMs, dockedMs, drawnMs, rssKiB, wakeUps, threads, shownRssKiB, firstClickMs,
        laterClickMs, firstDrawnMs, laterDrawnMs, firstClickCpuMs, laterClickCpuMs, quitMs, shows,
        firstShownRssKiB, privateKiB, firstShownPrivateKiB, shownPrivateKiB, shownWakeUps;
    int lostClicks = 0;
};

struct Desktop {
    QString address;
    QString display;
    QDBusConnection* connection;
    TrayWatch* tray;
};

QProcessEnvironment environmentFor(const QString& home, const Desktop& desktop) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), desktop.address);
    if (desktop.display.isEmpty()) {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        environment.insert(QStringLiteral("DISPLAY"), desktop.display);
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    return environment;
}

// Clicks the tray icon `shows` times to show the panel, each time closing it with the next
// click. A click that shows nothing within two seconds (on a loaded machine two quick clicks
// can still make a double click) is counted, and the panel closed before the next one.
void clickThrough(Desktop& desktop, quint32 pid, int shows, int restMs, Figures& figures) {
    const std::optional<xcb_window_t> icon = desktop.tray->icon(pid);
    if (!icon)
        return;
    desktop.tray->forget();
    desktop.tray->panelMapped(pid); // what there is before the first click
    const auto settle = [&] {
        QThread::msleep(500); // past the double-click interval
        if (desktop.tray->panelMapped(pid)) {
            desktop.tray->click(*icon, 0);
            QThread::msleep(500);
        }
    };
    if (restMs > 0 && desktop.tray->pointAt(*icon, 5))
        QThread::msleep(restMs);
    int shown = 0;
    for (int show = 0; show < shows; ++show) {
        const double cpuBefore = cpuMs(pid);
        desktop.tray->forgetDrawing();
        desktop.tray->click(*icon, 5);
        const double mapped = desktop.tray->waitForPanel(pid, true, 2000);
        const double cpu = cpuMs(pid) - cpuBefore;
        if (mapped < 0) {
            ++figures.lostClicks;
            settle();
            continue;
        }
        ++shown;
        (show == 0 ? figures.firstClickMs : figures.laterClickMs) << mapped;
        (show == 0 ? figures.firstClickCpuMs : figures.laterClickCpuMs) << cpu;
        if (const double drawn = desktop.tray->waitForPanelDrawn(2000); drawn >= 0)
            (show == 0 ? figures.firstDrawnMs : figures.laterDrawnMs) << mapped + drawn;
        QThread::msleep(50);
        desktop.tray->click(*icon, -5);
        if (desktop.tray->waitForPanel(pid, false, 2000) < 0) {
            ++figures.lostClicks;
            settle();
        }
        QThread::msleep(50);
        if (show == 0) {
            QThread::msleep(1000);
            figures.firstShownRssKiB << residentKiB(pid);
            figures.firstShownPrivateKiB << privateKiB(pid);
        }
    }
    figures.shows << shown;
}

void measure(const QString& binary, bool tuckaway, int items, int shows, int idleSeconds, int restMs,
             Desktop& desktop, Figures& figures) {
    QTemporaryDir home;
    if (items > 0)
        writeDataFile(home.path(), items);
    QProcess process;
    process.setProcessEnvironment(environmentFor(home.path(), desktop));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(binary, {});
    // Everything is polled in one loop, so no step waits for another to be looked at.
    const auto elapsed = [&] { return timer.nsecsElapsed() / 1e6; };
    const auto pid = quint32(process.processId());
    double owned = tuckaway ? -1 : 0, answered = tuckaway ? -1 : 0, docked = desktop.tray ? -1 : 0,
           drawn = desktop.tray ? -1 : 0;
    std::optional<QDBusPendingCall> ping;
    while ((owned < 0 || answered < 0 || drawn < 0) && timer.elapsed() < 10000) {
        if (owned < 0 &&
            desktop.connection->interface()->isServiceRegistered(QStringLiteral("org.tuckaway.Tuckaway"))) {
            owned = elapsed();
            // An action nobody handles: the reply comes from the running event loop.
            ping = desktop.connection->asyncCall(action(QStringLiteral("bench-ping")), 10000);
        }
        QCoreApplication::processEvents();
        if (ping && answered < 0 && ping->isFinished())
            answered = elapsed();
        if (drawn < 0) {
            const TrayWatch::State state = desktop.tray->state(pid);
            if (docked < 0 && state != TrayWatch::State::Absent)
                docked = elapsed();
            if (state == TrayWatch::State::Drawn)
                drawn = elapsed();
        }
        QThread::usleep(500);
    }
    if (tuckaway) {
        figures.busMs << owned;
        figures.startMs << answered;
    }
    if (desktop.tray) {
        figures.dockedMs << docked;
        figures.drawnMs << drawn;
    }
    QThread::msleep(1000); // idling is what is measured here
    figures.rssKiB << residentKiB(process.processId());
    figures.privateKiB << privateKiB(process.processId());
    figures.threads << threadCount(process.processId());
    figures.wakeUps << wakeUpsOver(process.processId(), idleSeconds);
    if (tuckaway && desktop.tray && shows > 0) {
        clickThrough(desktop, pid, shows, restMs, figures);
        QThread::msleep(1000);
        figures.shownRssKiB << residentKiB(process.processId());
        figures.shownPrivateKiB << privateKiB(process.processId());
        figures.shownWakeUps << wakeUpsOver(process.processId(), idleSeconds);
    }
    timer.restart();
    if (tuckaway)
        desktop.connection->call(action(QStringLiteral("quit")), QDBus::NoBlock);
    else
        process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    else if (tuckaway)
        figures.quitMs << elapsed();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString binary = app.arguments().value(1);
    const int runs = app.arguments().value(2, QStringLiteral("7")).toInt();
    // A data file of this many items to start with (none: a first start).
    const int items = app.arguments().value(3, QStringLiteral("0")).toInt();
    const int shows = app.arguments().value(4, QStringLiteral("100")).toInt();
    const int idleSeconds = app.arguments().value(5, QStringLiteral("1")).toInt();
    const int restMs = app.arguments().value(6, QStringLiteral("0")).toInt();
    const QString bare = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bare_tray");
    if (binary.isEmpty() || !QFile::exists(binary) || runs < 1) {
        std::fprintf(
            stderr,
            "usage: bench_startup <path to tuckaway> [runs] [items] [shows] [idle seconds] [rest ms]\n");
        return 2;
    }
    if (!QFile::exists(bare)) {
        std::fprintf(stderr, "bench_startup: %s is missing\n", qPrintable(bare));
        return 2;
    }

    QProcess bus;
    const QString address = ChildProcess::startSessionBus(bus);
    QProcess xvfb;
    QString display;
    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
        const QString number = ChildProcess::firstLine(xvfb);
        if (!number.isEmpty())
            display = QStringLiteral(":") + number;
    }
    if (address.isEmpty()) {
        std::fprintf(stderr, "bench_startup: no dbus-daemon\n");
        return 2;
    }
    QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("bench"));

    // A desktop with a tray: the icon docks there as it would for a user.
    QTemporaryDir desktopHome;
    QProcess windowManager, panel;
    std::unique_ptr<TrayWatch> tray;
    if (!display.isEmpty() &&
        startHelper(windowManager, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, display,
                    desktopHome.path()) &&
        startHelper(panel, QStringLiteral("tint2"), {}, display, desktopHome.path())) {
        tray = std::make_unique<TrayWatch>(display.toLocal8Bit());
        QElapsedTimer wait;
        wait.start();
        while (!tray->findTray() && wait.elapsed() < 5000)
            QThread::msleep(20);
    }

    Desktop desktop{address, display, &connection, tray.get()};
    Figures ours, floor, unused;
    // The first icon a fresh tray takes in docks much later (the bare program's took 200 to
    // 300 ms, against 50 to 70 after it): a start that is not counted goes first.
    measure(bare, false, 0, 0, 0, 0, desktop, unused);
    // Taking turns, so that a change in the machine's load meets both alike.
    for (int run = 0; run < runs; ++run) {
        measure(bare, false, items, shows, idleSeconds, restMs, desktop, floor);
        measure(binary, true, items, shows, idleSeconds, restMs, desktop, ours);
    }
    std::printf("platform: %s, %d runs each, taking turns\n",
                display.isEmpty() ? "offscreen"
                : tray            ? "xcb (Xvfb, openbox, tint2's tray)"
                                  : "xcb (Xvfb, no window manager)",
                runs);
    if (items > 0)
        std::printf("data file of %d items\n", items);
    std::printf("%-44s %-30s %s\n", "median (min, max)", "tuckaway", "bare tray icon");
    const auto cell = [](const QList<double>& values, double scale, const char* unit) {
        if (values.isEmpty())
            return std::string("-");
        char text[80];
        std::snprintf(text, sizeof text, "%.1f %s (%.1f, %.1f)", median(values) / scale, unit,
                      *std::min_element(values.begin(), values.end()) / scale,
                      *std::max_element(values.begin(), values.end()) / scale);
        return std::string(text);
    };
    const auto line = [&](const char* what, const QList<double>& a, const QList<double>& b, double scale,
                          const char* unit) {
        std::printf("%-44s %-30s %s\n", what, cell(a, scale, unit).c_str(), cell(b, scale, unit).c_str());
    };
    line("exec -> bus name owned", ours.busMs, floor.busMs, 1, "ms");
    line("exec -> event loop answers on the bus", ours.startMs, floor.startMs, 1, "ms");
    line("exec -> tray icon docked", ours.dockedMs, floor.dockedMs, 1, "ms");
    line("exec -> docked icon drawn", ours.drawnMs, floor.drawnMs, 1, "ms");
    line("idle resident memory after 1 s", ours.rssKiB, floor.rssKiB, 1024, "MiB");
    line("  of it private (anonymous, shared memory)", ours.privateKiB, floor.privateKiB, 1024, "MiB");
    line("threads when idle", ours.threads, floor.threads, 1, "");
    char idle[64];
    std::snprintf(idle, sizeof idle, "wake-ups while idle for %d s", idleSeconds);
    line(idle, ours.wakeUps, floor.wakeUps, 1, "");
    line("resident memory after the first show, 1 s idle", ours.firstShownRssKiB, floor.firstShownRssKiB,
         1024, "MiB");
    char shown[64];
    std::snprintf(shown, sizeof shown, "resident memory after %d shows, 1 s idle", shows);
    line("  of it private", ours.firstShownPrivateKiB, floor.firstShownPrivateKiB, 1024, "MiB");
    line(shown, ours.shownRssKiB, floor.shownRssKiB, 1024, "MiB");
    line("  of it private", ours.shownPrivateKiB, floor.shownPrivateKiB, 1024, "MiB");
    std::snprintf(idle, sizeof idle, "wake-ups while idle for %d s after them", idleSeconds);
    line(idle, ours.shownWakeUps, floor.shownWakeUps, 1, "");
    char first[64];
    if (restMs > 0)
        std::snprintf(first, sizeof first, "first click, %d ms on the icon -> mapped", restMs);
    else
        std::snprintf(first, sizeof first, "first tray click -> panel mapped");
    line(first, ours.firstClickMs, floor.firstClickMs, 1, "ms");
    line("later tray clicks -> panel mapped", ours.laterClickMs, floor.laterClickMs, 1, "ms");
    line("first click -> panel drawn", ours.firstDrawnMs, floor.firstDrawnMs, 1, "ms");
    line("later clicks -> panel drawn", ours.laterDrawnMs, floor.laterDrawnMs, 1, "ms");
    line("  CPU time of the first click until mapped", ours.firstClickCpuMs, floor.firstClickCpuMs, 1, "ms");
    line("  CPU time of a later click until mapped", ours.laterClickCpuMs, floor.laterClickCpuMs, 1, "ms");
    line("panel showings per run", ours.shows, floor.shows, 1, "");
    std::printf("%-44s %d\n", "clicks that changed nothing within 2 s", ours.lostClicks);
    line("quit on the bus -> exited", ours.quitMs, floor.quitMs, 1, "ms");
    tray.reset();
    panel.terminate();
    windowManager.terminate();
    panel.waitForFinished();
    windowManager.waitForFinished();
    xvfb.terminate();
    bus.terminate();
    xvfb.waitForFinished();
    bus.waitForFinished();
    return 0;
}
