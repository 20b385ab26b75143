#pragma once

#include "model/IconSource.h"
#include "model/NookItem.h"
#include "model/Previews.h"
#include "platform/Preferences.h"

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
// the main thread; a missing one is simply loaded again. With previews on, a file's
// thumbnail takes the place of its type's icon once there is one (see Previews); nothing of
// that is made before the first icon is asked for. Main thread only, except loadIcon(),
// which any thread may call.
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

    // Background loads started so far, and previews being made (diagnostics, and for tests).
    int loadsStarted() const { return m_loadsStarted; }
    int previewsPending() const { return m_previews ? m_previews->pending() : 0; }

    // Previews follow the preference from now on (on by default).
    void followPreferences(const Preferences& preferences);
    void setPreviewsEnabled(bool enabled);
    // Icons of files changed since they were loaded are dropped (and so loaded again when
    // shown): called when the panel opens. The files are looked at in the background.
    void refreshChanged();

signals:
    // Also when a shown icon was replaced or dropped.
    void iconLoaded(const QUuid& id);

private:
    struct Loaded {
        IconSource source;
        Previews::Found preview;
    };
    static Loaded load(const NookItem& item, bool previews, int pixels);
    // `fileType`, when given, is set for a file whose content may have a preview.
    static IconSource sourceFor(const std::optional<QString>& path, QMimeType* fileType);
    static int previewPixels();
    void startLoad(const NookItem& item);
    void finishLoad(const QUuid& id, const Loaded& loaded);
    void previewMade(const QString& path, const QImage& image);
    void dropIcons(const QList<QUuid>& ids);
    template <typename Work> void inBackground(Work work);

    struct Waiter {
        QPointer<QObject> context;
        std::function<void(const QIcon&)> done;
    };
    struct Load {
        QList<Waiter> waiters;
        bool keep = true; // false once the item was removed while its icon was loading
        int generation = 0;
    };
    // The file a cached icon shows, as it was then.
    struct Shown {
        QString path;
        ThumbnailCache::Stamp stamp;
    };

    QCache<QUuid, QIcon> m_cache;
    QHash<QUuid, Load> m_loading;
    QHash<QUuid, Shown> m_shown;
    int m_loadsStarted = 0;
    bool m_previewsEnabled = Preferences::kDefaultPreviews;
    int m_generation = 0; // counts the switches of previews: loads of an earlier one are not kept
    Previews* m_previews = nullptr;
    // What a background load answers to; cleared under the lock before this cache goes,
    // so no answer is posted to it after it is gone.
    struct Answer {
        QMutex mutex;
        IconCache* cache = nullptr;
    };
    std::shared_ptr<Answer> m_answer = std::make_shared<Answer>();
};
