#pragma once

#include <functional>

class QThreadPool;

// The one pool for file-system work that must not hold up the main thread: resolving
// bookmarks, searching for moved targets, loading icons, preparing a hand-over. At quit
// it is stopped and waited for, so that no worker outlives what it writes into.
namespace BackgroundWork {

// Higher priorities start first: something the user waits on goes before icons.
enum Priority { Icons = 0, UserWaits = 10 };

QThreadPool& pool();
// Nothing runs once stopped.
void run(std::function<void()> work, Priority priority = Icons);

// Searches give up, queued work is dropped, and running work is waited for. Called when
// the application quits (also through QCoreApplication::aboutToQuit); later calls do nothing.
void stopAndWait();
bool stopped();

// Lets the main thread go first when every core is busy (a big hand-over being looked at,
// a large file being written): called on each worker thread, which it lowers once.
void yieldToMainThread();

} // namespace BackgroundWork
