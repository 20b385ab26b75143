// Start-up time and idle memory of the real executable: each run starts `tuckaway` on a
// private X server (Xvfb, else Qt's offscreen platform) and a private session bus, with
// fresh XDG folders, and measures until its event loop answers a call on the bus (launch
// has finished by then), then its resident memory after a second of idling. Prints medians.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {
QString firstLine(QProcess& process, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < timeoutMs)
        process.waitForReadyRead(50);
    return QString::fromUtf8(process.readLine()).trimmed();
}

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

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString binary = app.arguments().value(1);
    const int runs = app.arguments().value(2, QStringLiteral("7")).toInt();
    if (binary.isEmpty() || !QFile::exists(binary)) {
        std::fprintf(stderr, "usage: bench_startup <path to tuckaway> [runs]\n");
        return 2;
    }

    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    const QString address = firstLine(bus, 5000);
    QProcess xvfb;
    QString display;
    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
        const QString number = firstLine(xvfb, 5000);
        if (!number.isEmpty())
            display = QStringLiteral(":") + number;
    }
    if (address.isEmpty()) {
        std::fprintf(stderr, "bench_startup: no dbus-daemon\n");
        return 2;
    }
    QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("bench"));

    QList<double> startMs;
    QList<double> rssKiB;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir home;
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
        while (!connection.interface()->isServiceRegistered(QStringLiteral("org.tuckaway.Tuckaway")) &&
               timer.elapsed() < 10000)
            QThread::msleep(2);
        // An action nobody handles: the reply comes from the running event loop.
        connection.call(action(QStringLiteral("bench-ping")), QDBus::Block, 10000);
        startMs << timer.nsecsElapsed() / 1e6;
        QThread::msleep(1000); // idling is what is measured here
        rssKiB << residentKiB(process.processId());
        connection.call(action(QStringLiteral("quit")), QDBus::Block, 5000);
        if (!process.waitForFinished(5000))
            process.kill();
    }
    std::printf("platform: %s, %d runs\n", display.isEmpty() ? "offscreen" : "xcb (Xvfb, no window manager)",
                runs);
    std::printf("start-up until the event loop answers: median %.1f ms (min %.1f, max %.1f)\n",
                median(startMs), *std::min_element(startMs.begin(), startMs.end()),
                *std::max_element(startMs.begin(), startMs.end()));
    std::printf("idle resident memory after 1 s: median %.1f MiB\n", median(rssKiB) / 1024.0);
    xvfb.terminate();
    bus.terminate();
    xvfb.waitForFinished();
    bus.waitForFinished();
    return 0;
}
