#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>

// What the in-process benchmarks share: a throw-away home, so no run touches the
// user's files, and the median of their runs.
namespace BenchEnvironment {

// Call before the application object is made: the platform is read then. The session bus
// is one that is not there, so nothing is asked of the user's desktop services.
inline void useHome(const QString& home) {
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/cache")));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(home + QStringLiteral("/no-bus")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace BenchEnvironment
