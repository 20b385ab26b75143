// Showing a group of many items (10,000 unless given), switching tabs between two such
// groups, and one item removed and one file handed over while the panel shows them.
// Prints the median of several runs of each, in milliseconds. The items share 50 files per
// group: text files, or with "png" pictures of 640 x 480 (what previews are made of); "off"
// turns previews off.
//   bench_views [items per group = 10000] [txt|png] [on|off]
#include "BenchEnvironment.h"
#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/HandOverQueue.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "views/ItemGridView.h"
#include "views/PinState.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayTabButton.h"
#include "views/TuckawayView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

int kItems = 10000;
bool kPictures = false;
constexpr int kRuns = 15;

NookGroup bigGroup(const QString& name, const QString& folder) {
    NookGroup group{QUuid::createUuid(), name, {}};
    QList<QByteArray> bookmarks;
    for (int i = 0; i < 50; ++i) {
        const QString path =
            folder +
            QStringLiteral("/%1-%2.%3").arg(name).arg(i).arg(QLatin1String(kPictures ? "png" : "txt"));
        if (kPictures) {
            QImage picture(640, 480, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 7 % 360, 160, 220));
            picture.save(path);
        } else {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("x");
        }
        bookmarks << Bookmarks::makeBookmark(QUrl::fromLocalFile(path)).value_or(QByteArray());
    }
    for (int i = 0; i < kItems; ++i)
        group.items << NookItem{QUuid::createUuid(), QStringLiteral("%1 item number %2").arg(name).arg(i),
                                bookmarks.at(i % bookmarks.size())};
    return group;
}

// Previews being made, and turning them on or off, where the icon cache makes any: the same
// bench measures a build without them.
int previewsPending(auto& icons) {
    if constexpr (requires { icons.previewsPending(); })
        return icons.previewsPending();
    return 0;
}
void setPreviews(auto& icons, bool on) {
    if constexpr (requires { icons.setPreviewsEnabled(on); })
        icons.setPreviewsEnabled(on);
}

// The main thread's processor time so far, in milliseconds: unlike the wall clock, not
// stretched by other programs on a busy machine.
double mainThreadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Runs `step`, then paints the panel at once, as the screen would; milliseconds.
template <typename Step> double timed(TuckawayView& view, Step step) {
    QElapsedTimer timer;
    timer.start();
    step();
    view.repaint();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    BenchEnvironment::useHome(home.path());
    QApplication app(argc, argv);
    Localization::install(QLocale(QLocale::English));
    kItems = app.arguments().value(1, QStringLiteral("10000")).toInt();
    kPictures = app.arguments().value(2) == QLatin1String("png");
    const bool previews = app.arguments().value(3) != QLatin1String("off");
    setPreviews(IconCache::shared(), previews);
    QFile extra(home.path() + QStringLiteral("/extra.txt"));
    if (extra.open(QIODevice::WriteOnly))
        extra.write("x");

    NookStore store(home.path() + QStringLiteral("/store"));
    store.setGroups(
        {bigGroup(QStringLiteral("First"), home.path()), bigGroup(QStringLiteral("Second"), home.path())});
    PinState pin;
    TuckawayView view(store, Preferences::instance(), IconCache::shared(), pin);

    QList<double> show, showProcessor;
    QList<double> switchTabs;
    QList<double> iconsInView, previewsInView;
    QList<double> removeOne, addOne;
    for (int run = 0; run < kRuns; ++run) {
        // Showing: the on-appear step, layout and the first paint of the first group.
        const double processorBefore = mainThreadMs();
        show << timed(view, [&] {
            view.show();
            QApplication::processEvents();
        });
        showProcessor << mainThreadMs() - processorBefore;
        // Until every cell in view has its icon (cache cleared first, so they load), and then until
        // the previews still to be made are there (on the first run none is in the thumbnail cache).
        // Timed in an event loop, as the panel's, which takes each icon as it arrives.
        for (const NookItem& item : view.grid()->items().mid(0, 40))
            IconCache::shared().remove(item.id);
        QElapsedTimer icons;
        double iconsMs = -1, previewsMs = -1;
        const auto note = [&] {
            const auto [first, last] = view.grid()->gridGeometry().visibleRange();
            for (int i = first; i <= std::min(last, first + 15); ++i) {
                if (!IconCache::shared().cached(view.grid()->items().at(i).id))
                    return false;
            }
            if (iconsMs < 0)
                iconsMs = icons.nsecsElapsed() / 1e6;
            if (previewsPending(IconCache::shared()) == 0 && previewsMs < 0)
                previewsMs = icons.nsecsElapsed() / 1e6;
            return previewsMs >= 0;
        };
        QEventLoop wait;
        QTimer poll; // a preview given up is told by no signal
        poll.start(50);
        const auto check = [&] {
            if (note())
                wait.quit();
        };
        QObject::connect(&poll, &QTimer::timeout, &wait, check);
        QObject::connect(&IconCache::shared(), &IconCache::iconLoaded, &wait, check);
        QTimer::singleShot(60000, &wait, [&] {
            std::printf("icons or previews in view did not arrive within the wait\n");
            wait.quit();
        });
        icons.start();
        view.repaint();
        if (!note())
            wait.exec();
        iconsInView << iconsMs;
        previewsInView << previewsMs;

        TuckawayTabBar* bar = view.tabBar();
        for (int i = 0; i < 2; ++i) {
            TuckawayTabButton* tab = bar->tabs().at((i + 1) % 2);
            switchTabs << timed(view,
                                [&] { QTest::mouseClick(tab, Qt::LeftButton, {}, tab->rect().center()); });
        }
        // One item out and one file in, in the group on screen, as a click and a drop would.
        const QUuid shown = store.selectedGroup()->id;
        removeOne << timed(view, [&] { store.removeItem(view.grid()->items().at(1).id, shown); });
        addOne << timed(view, [&] {
            store.handOvers().add({QUrl::fromLocalFile(extra.fileName())}, HandOverTarget::group(shown));
            if (!QTest::qWaitFor([&] { return !store.handOvers().isRunning(); }, 10000))
                std::printf("the hand-over did not end within the wait\n");
        });
        store.removeItem(view.grid()->items().constLast().id, shown);
        store.waitForSaves();
        view.hide();
        QApplication::processEvents();
    }
    std::printf("items per group: %d (%s, previews %s), runs: %d\n", kItems,
                kPictures ? "pictures" : "text files", previews ? "on" : "off", kRuns);
    std::printf("show panel with first group (layout + first paint): median %.3f ms\n",
                BenchEnvironment::median(show));
    std::printf("  the same, the main thread's processor time:       median %.3f ms\n",
                BenchEnvironment::median(showProcessor));
    std::printf("switch tab between two groups (layout + paint):     median %.3f ms\n",
                BenchEnvironment::median(switchTabs));
    std::printf("icons of the cells in view loaded (background):     median %.3f ms\n",
                BenchEnvironment::median(iconsInView));
    std::printf("previews of the cells in view made (background):    median %.3f ms, first run %.3f ms\n",
                BenchEnvironment::median(previewsInView), previewsInView.first());
    std::printf("remove one item (store, layout, paint):             median %.3f ms\n",
                BenchEnvironment::median(removeOne));
    std::printf("hand over one file until shown (index built aside): median %.3f ms\n",
                BenchEnvironment::median(addOne));
    std::printf("icon loads started in total: %d (of %d items)\n", IconCache::shared().loadsStarted(),
                2 * kItems);
    // No event loop ran to its end, so nothing stopped the workers: a target check still running
    // would resolve into the bookmarks' cache while the exit destroys it (and search the home's
    // files while they are deleted).
    BackgroundWork::stopAndWait();
    return 0;
}
