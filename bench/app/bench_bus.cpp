// The real executable answering on the bus while it takes in files: it is started on
// Qt's offscreen platform with a private session bus and a nook of many items, then one
// Open of many files is sent while a client asks for its version every 5 ms. Prints the
// longest and the median reply time of those calls until the files are saved, and how
// long a second start (`tuckaway FILE`) takes to hand its file over meanwhile.
//   bench_bus <path to tuckaway> [items already in the nook = 1000] [files handed over = 1000]
#include "ChildProcess.h"
#include "HandOverFiles.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
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
QStringList uriStrings(const QList<QUrl>& urls) {
    QStringList uris;
    for (const QUrl& url : urls)
        uris << QString::fromUtf8(url.toEncoded());
    return uris;
}

QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.tuckaway.Tuckaway"), QStringLiteral("/org/tuckaway/Tuckaway"), interface, method);
    message.setArguments(arguments);
    return message;
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
    const QStringList old = uriStrings(HandOverFiles::make(home.path() + QStringLiteral("/old"), existing));
    const QStringList fresh = uriStrings(HandOverFiles::make(home.path() + QStringLiteral("/new"), handed));
    const QStringList second = uriStrings(HandOverFiles::make(home.path() + QStringLiteral("/second"), 1));

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
    while (!connection.interface()->isServiceRegistered(QStringLiteral("org.tuckaway.Tuckaway")) &&
           wait.elapsed() < 10000)
        QThread::msleep(5);
    const QString own = QStringLiteral("org.tuckaway.Tuckaway");
    connection.call(call(own, QStringLiteral("Add"), {old, QString()}), QDBus::Block, 120000);

    QElapsedTimer clock;
    clock.start();
    QList<double> replies;
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const qint64 sent = clock.nsecsElapsed();
        auto* watcher =
            new QDBusPendingCallWatcher(connection.asyncCall(call(own, QStringLiteral("Version"))));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [&, sent, watcher] {
            replies << (clock.nsecsElapsed() - sent) / 1e6;
            watcher->deleteLater();
        });
    });
    QProcess client;
    client.setProcessEnvironment(environment);
    double clientMs = -1;
    qint64 clientStart = 0;
    QObject::connect(&client, &QProcess::finished,
                     [&] { clientMs = (clock.nsecsElapsed() - clientStart) / 1e6; });
    // The second start comes while the files are being taken in (they are from 400 ms on).
    QTimer::singleShot(450, [&] {
        clientStart = clock.nsecsElapsed();
        client.start(binary, {QUrl(second.first()).toLocalFile()});
    });
    ping.start(5);
    connection.asyncCall(
        call(QStringLiteral("org.freedesktop.Application"), QStringLiteral("Open"), {fresh, QVariantMap()}));
    const QString dataFile = home.path() + QStringLiteral("/data/Tuckaway/nooks.json");
    // Read on a thread of its own, so that no reply waits for the decoding here.
    std::atomic<double> savedMs = -1;
    std::atomic<bool> stop = false;
    std::thread watcher([&] {
        while (!stop && savedMs < 0) {
            if (HandOverFiles::savedItems(dataFile) >= existing + handed + 1) {
                savedMs = clock.nsecsElapsed() / 1e6;
                QMetaObject::invokeMethod(&app, &QCoreApplication::quit);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();
    stop = true;
    watcher.join();
    ping.stop();
    client.waitForFinished(10000);

    std::sort(replies.begin(), replies.end());
    std::printf("Open of %d files into a nook of %d items, pinged every 5 ms (offscreen)\n", handed,
                existing);
    std::printf("all saved (with the second start's file): %.1f ms\n", savedMs.load());
    std::printf("bus replies: %lld, median %.2f ms, longest %.2f ms\n", qlonglong(replies.size()),
                replies.isEmpty() ? 0 : replies.at(replies.size() / 2),
                replies.isEmpty() ? 0 : replies.last());
    std::printf("second start handing over one file meanwhile: %.1f ms, exit status %d\n", clientMs,
                client.exitCode());
    connection.call(call(own, QStringLiteral("Quit")), QDBus::Block, 5000);
    process.waitForFinished(5000);
    bus.terminate();
    bus.waitForFinished();
    return 0;
}
