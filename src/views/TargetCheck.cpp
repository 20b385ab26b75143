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
        m_running = false;
        if (!m_watcher.future().isCanceled() && m_watcher.future().resultCount() > 0) {
            Result found = m_watcher.result();
            keepChanges(found);
            if (!found.missing.isEmpty() || !found.paths.isEmpty())
                emit finished(found);
        }
        startQueued();
    });
}

// A check still running keeps only its own copy of the items; its result is dropped.
TargetCheck::~TargetCheck() = default;

void TargetCheck::restart() {
    m_looked.clear();
    m_queued.clear();
}

void TargetCheck::check(const QList<NookItem>& items) {
    for (const NookItem& item : items) {
        if (!m_looked.contains(item.id)) {
            m_looked.insert(item.id);
            m_queued.append(item);
        }
    }
    startQueued();
}

void TargetCheck::startQueued() {
    if (m_running || m_queued.isEmpty() || BackgroundWork::stopped())
        return;
    m_running = true;
    m_watcher.setFuture(QtConcurrent::run(&BackgroundWork::pool(), checkAll, std::exchange(m_queued, {})));
}

void TargetCheck::keepChanges(Result& found) {
    found.missing.subtract(m_told.missing);
    for (const QUuid& id : std::as_const(found.missing))
        m_told.paths.remove(id);
    m_told.missing.unite(found.missing);
    for (auto it = found.paths.begin(); it != found.paths.end();) {
        const auto told = m_told.paths.constFind(it.key());
        if (told != m_told.paths.cend() && *told == it.value()) {
            it = found.paths.erase(it);
        } else {
            m_told.missing.remove(it.key());
            m_told.paths.insert(it.key(), it.value());
            ++it;
        }
    }
}
