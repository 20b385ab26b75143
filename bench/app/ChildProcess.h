#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>

// Helpers for benchmarks that start the real program beside helper processes of their own.
namespace ChildProcess {

// The first line the process prints, or empty after the timeout.
inline QString firstLine(QProcess& process, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < timeoutMs)
        process.waitForReadyRead(50);
    return QString::fromUtf8(process.readLine()).trimmed();
}

// Starts a private session bus in `bus`; returns its address, empty when none started.
inline QString startSessionBus(QProcess& bus) {
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    return firstLine(bus);
}

} // namespace ChildProcess
