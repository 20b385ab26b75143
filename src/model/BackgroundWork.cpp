#include "model/BackgroundWork.h"

#include "model/Bookmarks.h"
#include "platform/LogCategories.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

#include <sys/resource.h>

namespace BackgroundWork {

namespace {
std::atomic<bool> g_stopped{false};
// How long a quit waits for a worker caught in a file system that does not answer.
constexpr int kQuitWaitMs = 5000;
} // namespace

QThreadPool& pool() {
    // Never destroyed: workers may still hold it while static objects go away.
    static QThreadPool* const instance = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(4);
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, &stopAndWait);
        return created;
    }();
    return *instance;
}

void run(std::function<void()> work, Priority priority) {
    if (!g_stopped)
        pool().start(
            [work = std::move(work)] {
                yieldToMainThread();
                work();
            },
            priority);
}

void yieldToMainThread() {
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    // Linux keeps the nice value per thread: this lowers the calling thread only. Where it
    // cannot be lowered, the worker simply runs as before.
    constexpr int kLower = 5;
    const int now = getpriority(PRIO_PROCESS, 0);
    setpriority(PRIO_PROCESS, 0, std::min(now + kLower, 19));
}

void stopAndWait() {
    if (g_stopped.exchange(true))
        return;
    Bookmarks::stopSearches();
    pool().clear();
    if (!pool().waitForDone(kQuitWaitMs))
        qCWarning(lcBackground) << "background work still running at quit";
}

bool stopped() {
    return g_stopped;
}

} // namespace BackgroundWork
