#pragma once

#include "model/IconSource.h"
#include "model/NookItem.h"

#include <QCache>
#include <QHash>
#include <QIcon>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

// The icons of the items, keyed by item id, at most 500 (the least recently used go
// first). An icon that is not cached is loaded in the background and delivered on
// the main thread; a missing one is simply loaded again. Main thread only, except
// loadIcon(), which any thread may call.
class IconCache : public QObject {
    Q_OBJECT
public:
    static constexpr int kCountLimit = 500;
    static constexpr QSize kNominalSize{64, 64};

    // The application's.
    static IconCache& shared();
    IconCache();
    ~IconCache() override;

    std::optional<QIcon> cached(const QUuid& id);
    void insert(const QUuid& id, const QIcon& icon);
    void remove(const QUuid& id);
    int count() const { return m_cache.count(); }

    // Calls `done` at once when the icon is cached; otherwise loads it in the background and
    // calls `done` on the main thread, unless `context` is gone by then. Concurrent requests
    // for one item share one load.
    void icon(const NookItem& item, QObject* context, std::function<void(const QIcon&)> done);
    // Loads the icon unless it is cached or already loading; iconLoaded() follows.
    void request(const NookItem& item);

    // Where the icon of an item comes from: the theme icon of its MIME type, "folder" for
    // folders, a desktop entry's Icon, and the generic "unknown" when the bookmark does not resolve.
    static IconSource loadIcon(const NookItem& item);
    // Main thread: the icon for a source, with bundled fallbacks; never a null icon.
    static QIcon makeIcon(const IconSource& source);

    // Background loads started so far (a diagnostic, and for tests).
    int loadsStarted() const { return m_loadsStarted; }

signals:
    void iconLoaded(const QUuid& id);

private:
    void startLoad(const NookItem& item);
    void finishLoad(const QUuid& id, const IconSource& source);

    struct Waiter {
        QPointer<QObject> context;
        std::function<void(const QIcon&)> done;
    };
    struct Load {
        QList<Waiter> waiters;
        bool keep = true; // false once the item was removed while its icon was loading
    };

    QCache<QUuid, QIcon> m_cache;
    QHash<QUuid, Load> m_loading;
    int m_loadsStarted = 0;
    // What a background load answers to; cleared under the lock before this cache goes,
    // so no answer is posted to it after it is gone.
    struct Answer {
        QMutex mutex;
        IconCache* cache = nullptr;
    };
    std::shared_ptr<Answer> m_answer = std::make_shared<Answer>();
};
