// Start-up time and idle memory of the real executable: each run starts `tuckaway` on a
// private X server (Xvfb with openbox and tint2's tray when installed, else Qt's offscreen
// platform) and a private session bus, with fresh XDG folders, and measures until it owns
// its bus name, until its event loop answers a call on the bus (launch has finished by
// then) and until its tray icon is docked in tint2, then its resident memory after a
// second of idling. Prints medians.
//   bench_startup <path to tuckaway> [runs = 7] [items in the data file = none]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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
#include <memory>
#include <optional>

namespace {
long residentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
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

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString binary = app.arguments().value(1);
    const int runs = app.arguments().value(2, QStringLiteral("7")).toInt();
    // A data file of this many items to start with (none: a first start).
    const int items = app.arguments().value(3, QStringLiteral("0")).toInt();
    if (binary.isEmpty() || !QFile::exists(binary)) {
        std::fprintf(stderr, "usage: bench_startup <path to tuckaway> [runs] [items]\n");
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

    QList<double> busMs, startMs, dockedMs, drawnMs;
    QList<double> rssKiB;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir home;
        if (items > 0)
            writeDataFile(home.path(), items);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/cache"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        if (display.isEmpty()) {
            environment.remove(QStringLiteral("DISPLAY"));
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            environment.insert(QStringLiteral("DISPLAY"), display);
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        process.start(binary, {});
        // Everything is polled in one loop, so no step waits for another to be looked at.
        const auto elapsed = [&] { return timer.nsecsElapsed() / 1e6; };
        double owned = -1, answered = -1, docked = tray ? -1 : 0, drawn = tray ? -1 : 0;
        std::optional<QDBusPendingCall> ping;
        while ((owned < 0 || answered < 0 || drawn < 0) && timer.elapsed() < 10000) {
            if (owned < 0 &&
                connection.interface()->isServiceRegistered(QStringLiteral("org.tuckaway.Tuckaway"))) {
                owned = elapsed();
                // An action nobody handles: the reply comes from the running event loop.
                ping = connection.asyncCall(action(QStringLiteral("bench-ping")), 10000);
            }
            QCoreApplication::processEvents();
            if (ping && answered < 0 && ping->isFinished())
                answered = elapsed();
            if (drawn < 0) {
                const TrayWatch::State state = tray->state(quint32(process.processId()));
                if (docked < 0 && state != TrayWatch::State::Absent)
                    docked = elapsed();
                if (state == TrayWatch::State::Drawn)
                    drawn = elapsed();
            }
            QThread::usleep(500);
        }
        busMs << owned;
        startMs << answered;
        if (tray) {
            dockedMs << docked;
            drawnMs << drawn;
        }
        QThread::msleep(1000); // idling is what is measured here
        rssKiB << residentKiB(process.processId());
        connection.call(action(QStringLiteral("quit")), QDBus::Block, 5000);
        if (!process.waitForFinished(5000))
            process.kill();
    }
    std::printf("platform: %s, %d runs\n",
                display.isEmpty() ? "offscreen"
                : tray            ? "xcb (Xvfb, openbox, tint2's tray)"
                                  : "xcb (Xvfb, no window manager)",
                runs);
    if (items > 0)
        std::printf("data file of %d items\n", items);
    const auto line = [](const char* what, const QList<double>& values) {
        std::printf("%-40s median %.1f ms (min %.1f, max %.1f)\n", what, median(values),
                    *std::min_element(values.begin(), values.end()),
                    *std::max_element(values.begin(), values.end()));
    };
    line("start-up until the bus name is owned:", busMs);
    line("start-up until the event loop answers:", startMs);
    if (tray) {
        line("start-up until the tray icon is docked:", dockedMs);
        line("start-up until the docked icon is drawn:", drawnMs);
    }
    std::printf("idle resident memory after 1 s: median %.1f MiB\n", median(rssKiB) / 1024.0);
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
