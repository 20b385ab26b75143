#include "views/TargetCheck.h"

#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"

#include <QtConcurrent>

namespace {
TargetCheck::Result checkAll(const QList<NookItem>& items) {
    TargetCheck::Result result;
    for (const NookItem& item : items) {
        if (BackgroundWork::stopped())
            break;
        if (const auto url = Bookmarks::resolveBookmark(item))
            result.paths.insert(item.id, url->toLocalFile());
        else
            result.missing.insert(item.id);
    }
    return result;
}
} // namespace

TargetCheck::TargetCheck(QObject* parent)
    : QObject(parent) {
    connect(&m_watcher, &QFutureWatcher<Result>::finished, this, [this] {
        // A check asked for while this one ran replaces its result.
        if (m_pending) {
            m_pending = false;
            check(std::exchange(m_next, {}));
            return;
        }
        if (m_watcher.future().isCanceled() || m_watcher.future().resultCount() == 0)
            return;
        if (std::optional<Result> result = m_watcher.result()) {
            m_reported = std::move(*result);
            emit finished(m_reported);
        }
    });
}

// A check still running keeps only its own copy of the items; its result is dropped.
TargetCheck::~TargetCheck() = default;

void TargetCheck::check(const QList<NookItem>& items) {
    if (m_watcher.isRunning()) {
        m_pending = true;
        m_next = items;
        return;
    }
    if (BackgroundWork::stopped())
        return;
    // Compared on the worker, which also frees what an unchanged result took.
    m_watcher.setFuture(QtConcurrent::run(&BackgroundWork::pool(), [items, reported = m_reported] {
        Result result = checkAll(items);
        return result == reported ? std::nullopt : std::optional(std::move(result));
    }));
}
