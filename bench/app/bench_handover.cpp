// One Open of many files into a nook that holds many items, as the bus hands it over:
// the time until all are saved (the data file holds them, as a second thread sees) and the
// longest stretch the main thread was busy meanwhile (a bus call waits at most that long for its answer).
// Runs in-process with the panel shown. Prints medians.
//   bench_handover [items already in the nook = 1000] [files handed over = 1000] [runs = 5]
#include "BenchEnvironment.h"
#include "HandOverFiles.h"
#include "app/AppDelegate.h"
#include "app/PanelController.h"
#include "model/HandOverQueue.h"
#include "model/NookStore.h"
#include "platform/Localization.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    BenchEnvironment::useHome(home.path());
    QApplication app(argc, argv);
    Localization::install(QLocale(QLocale::English));
    const int existing = app.arguments().value(1, QStringLiteral("1000")).toInt();
    const int handed = app.arguments().value(2, QStringLiteral("1000")).toInt();
    const int runs = app.arguments().value(3, QStringLiteral("5")).toInt();

    const QList<QUrl> old = HandOverFiles::make(home.path() + QStringLiteral("/old"), existing);
    const QStringList fresh =
        HandOverFiles::uris(HandOverFiles::make(home.path() + QStringLiteral("/new"), handed));

    QList<double> savedMs, stallMs;
    for (int run = 0; run < runs; ++run) {
        const QString folder = home.path() + QStringLiteral("/store%1").arg(run);
        AppDelegate delegate(folder);
        delegate.applicationDidFinishLaunching();
        delegate.store().handOvers().add(old, HandOverTarget::current());
        delegate.store().handOvers().complete();
        delegate.panelController()->show();
        QApplication::processEvents();

        // A tick every millisecond: the longest gap between two is the longest stall.
        QElapsedTimer clock;
        qint64 lastTick = 0, longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - lastTick);
            lastTick = now;
        });
        const QString dataFile = folder + QStringLiteral("/nooks.json");
        const qsizetype wanted = existing + handed;
        // The file is read on a thread of its own: decoding it here would be a stall of our own.
        std::atomic<qint64> saved = -1;
        std::atomic<bool> stop = false;
        clock.start();
        std::thread watcher([&] {
            std::pair<QDateTime, qint64> seen;
            while (!stop && saved < 0) {
                const QFileInfo info(dataFile);
                const std::pair state{info.lastModified(), info.size()};
                if (state != seen && HandOverFiles::savedItems(dataFile) == wanted)
                    saved = clock.nsecsElapsed();
                seen = state;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        ticker.start(1);
        delegate.open(fresh);
        while (saved < 0 && clock.elapsed() < 120000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        stop = true;
        watcher.join();
        ticker.stop();
        savedMs << saved / 1e6;
        stallMs << longest / 1e6;
    }
    std::printf("hand-over of %d files into a nook of %d items, %d runs (the first %d ms are the fixed delay "
                "before files are added)\n",
                handed, existing, runs, AppDelegate::kOpenDelayMs);
    std::printf("until all saved:             median %.1f ms (max %.1f)\n", BenchEnvironment::median(savedMs),
                *std::max_element(savedMs.begin(), savedMs.end()));
    std::printf("longest main-thread stall:   median %.1f ms (max %.1f)\n", BenchEnvironment::median(stallMs),
                *std::max_element(stallMs.begin(), stallMs.end()));
    return 0;
}
