#include "model/IconCache.h"

#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "platform/LogCategories.h"
#include "platform/xdg/DesktopEntry.h"
#include "platform/xdg/LinkEntry.h"
#include "platform/xdg/ThemeIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QPixmap>
#include <QStandardPaths>

namespace {

// Folders the desktop shows with their own icons.
QString specialFolderIcon(const QString& path) {
    if (path == QDir::homePath())
        return QStringLiteral("user-home");
    const std::pair<QStandardPaths::StandardLocation, const char*> special[] = {
        {QStandardPaths::DesktopLocation, "user-desktop"},
        {QStandardPaths::DocumentsLocation, "folder-documents"},
        {QStandardPaths::DownloadLocation, "folder-download"},
        {QStandardPaths::MusicLocation, "folder-music"},
        {QStandardPaths::PicturesLocation, "folder-pictures"},
        {QStandardPaths::MoviesLocation, "folder-videos"},
    };
    for (const auto& [location, icon] : special) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (folder != QDir::homePath() && QDir::cleanPath(folder) == path)
            return QString::fromLatin1(icon);
    }
    return {};
}

} // namespace

IconCache& IconCache::shared() {
    static IconCache* cache = new IconCache();
    return *cache;
}

IconCache::IconCache()
    : m_cache(kCountLimit) {
    m_answer->cache = this;
}

IconCache::~IconCache() {
    QMutexLocker lock(&m_answer->mutex);
    m_answer->cache = nullptr;
}

std::optional<QIcon> IconCache::cached(const QUuid& id) {
    if (const QIcon* icon = m_cache.object(id))
        return *icon;
    return std::nullopt;
}

void IconCache::insert(const QUuid& id, const QIcon& icon) {
    m_cache.insert(id, new QIcon(icon), 1);
}

void IconCache::remove(const QUuid& id) {
    m_cache.remove(id);
    m_shown.remove(id);
    if (auto it = m_loading.find(id); it != m_loading.end())
        it->keep = false;
}

void IconCache::icon(const NookItem& item, QObject* context, std::function<void(const QIcon&)> done) {
    if (const auto icon = cached(item.id)) {
        done(*icon);
        return;
    }
    const bool loading = m_loading.contains(item.id);
    m_loading[item.id].waiters.append(Waiter{context, std::move(done)});
    if (!loading)
        startLoad(item);
}

void IconCache::request(const NookItem& item) {
    if (m_loading.contains(item.id) || m_cache.contains(item.id))
        return;
    m_loading.insert(item.id, Load{});
    startLoad(item);
}

// Runs `work` in the background; what it returns, a function, is called with this cache on
// the main thread, unless the cache is gone by then.
template <typename Work> void IconCache::inBackground(Work work) {
    BackgroundWork::run([answer = m_answer, work = std::move(work)] {
        auto then = work();
        QMutexLocker lock(&answer->mutex);
        if (IconCache* cache = answer->cache)
            QMetaObject::invokeMethod(
                cache, [cache, then] { then(cache); }, Qt::QueuedConnection);
    });
}

void IconCache::startLoad(const NookItem& item) {
    ++m_loadsStarted;
    m_loading[item.id].generation = m_generation;
    inBackground([item, previews = m_previewsEnabled, pixels = previewPixels()] {
        return [id = item.id, loaded = load(item, previews, pixels)](IconCache* cache) {
            cache->finishLoad(id, loaded);
        };
    });
}

void IconCache::finishLoad(const QUuid& id, const Loaded& loaded) {
    const Load load = m_loading.take(id);
    const Previews::Found& preview = loaded.preview;
    const QIcon icon =
        preview.image.isNull() ? makeIcon(loaded.source) : QIcon(QPixmap::fromImage(preview.image));
    if (load.keep && load.generation == m_generation) {
        insert(id, icon);
        if (!preview.path.isEmpty())
            m_shown.insert(id, Shown{preview.path, preview.stamp});
        if (preview.makeable) {
            if (!m_previews) {
                m_previews = new Previews(previewPixels(), this);
                connect(m_previews, &Previews::made, this, &IconCache::previewMade);
            }
            m_previews->make(preview);
        }
    }
    for (const Waiter& waiter : load.waiters) {
        if (waiter.context)
            waiter.done(icon);
    }
    emit iconLoaded(id);
}

// The side previews are shown at: the nominal size on the sharpest screen.
int IconCache::previewPixels() {
    return qRound(kNominalSize.width() * (qGuiApp ? qGuiApp->devicePixelRatio() : 1.0));
}

void IconCache::previewMade(const QString& path, const QImage& image) {
    if (!m_previewsEnabled)
        return;
    const QIcon icon(QPixmap::fromImage(image));
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
        if (it->path == path && m_cache.contains(it.key())) {
            insert(it.key(), icon);
            emit iconLoaded(it.key());
        }
    }
}

void IconCache::followPreferences(const Preferences& preferences) {
    setPreviewsEnabled(preferences.previews());
    connect(&preferences, &Preferences::previewsChanged, this, &IconCache::setPreviewsEnabled);
}

void IconCache::setPreviewsEnabled(bool enabled) {
    if (enabled == m_previewsEnabled)
        return;
    m_previewsEnabled = enabled;
    ++m_generation;
    dropIcons(m_cache.keys());
}

void IconCache::refreshChanged() {
    QList<std::pair<QUuid, Shown>> shown;
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (!m_cache.contains(it.key())) {
            it = m_shown.erase(it); // evicted meanwhile
            continue;
        }
        shown.append({it.key(), *it});
        ++it;
    }
    if (shown.isEmpty())
        return;
    inBackground([shown] {
        QList<QUuid> changed;
        for (const auto& [id, file] : shown) {
            if (ThumbnailCache::stampOf(file.path) != file.stamp)
                changed << id;
        }
        return [changed](IconCache* cache) { cache->dropIcons(changed); };
    });
}

// Each is loaded again when its cell is painted next.
void IconCache::dropIcons(const QList<QUuid>& ids) {
    for (const QUuid& id : ids) {
        m_cache.remove(id);
        m_shown.remove(id);
        emit iconLoaded(id);
    }
}

IconCache::Loaded IconCache::load(const NookItem& item, bool previews, int pixels) {
    const std::optional<QString> path = Bookmarks::resolvePath(item.bookmarkData);
    QMimeType type;
    Loaded loaded{sourceFor(path, &type), {}};
    if (previews && type.isValid())
        loaded.preview = Previews::look(*path, type, pixels);
    return loaded;
}

IconSource IconCache::loadIcon(const NookItem& item) {
    return sourceFor(Bookmarks::resolvePath(item.bookmarkData), nullptr);
}

IconSource IconCache::sourceFor(const std::optional<QString>& path, QMimeType* fileType) {
    if (!path)
        return {{QStringLiteral("unknown")}, {}, QStringLiteral("unknown")};

    const QFileInfo info(*path);
    if (info.isDir()) {
        QStringList names;
        if (const QString special = specialFolderIcon(*path); !special.isEmpty())
            names << special;
        names << QStringLiteral("folder");
        return {names, {}, QStringLiteral("folder")};
    }
    if (DesktopEntry::isDesktopEntryPath(*path)) {
        if (const auto entry = DesktopEntry::read(*path)) {
            return {entry->iconNames() << QStringLiteral("application-x-executable"), entry->iconFile(),
                    QStringLiteral("application-x-executable")};
        }
        if (const auto link = LinkEntry::read(*path)) {
            QStringList names{QStringLiteral("text-html"), QStringLiteral("internet-web-browser")};
            if (!link->icon.isEmpty() && !names.contains(link->icon))
                names.prepend(link->icon);
            return {names, {}, QStringLiteral("text-html")};
        }
    }
    static const QMimeDatabase database; // thread-safe
    const QMimeType type = database.mimeTypeForFile(info);
    if (fileType && info.isFile())
        *fileType = type; // a file's content may have a preview
    const bool program = type.inherits(QStringLiteral("application/x-executable")) ||
                         type.inherits(QStringLiteral("application/x-sharedlib"));
    return {{type.iconName(), type.genericIconName()},
            {},
            program ? QStringLiteral("application-x-executable") : QStringLiteral("text-x-generic")};
}

QIcon IconCache::makeIcon(const IconSource& source) {
    if (!source.file.isEmpty() && QFileInfo::exists(source.file)) {
        const QIcon icon(source.file);
        if (!icon.availableSizes().isEmpty() || !icon.pixmap(kNominalSize).isNull())
            return icon;
    }
    QIcon icon = ThemeIcons::themed(source.themeNames, source.fallback);
    if (icon.isNull()) {
        qCDebug(lcIcons) << "no icon among" << source.themeNames << "nor" << source.fallback;
        icon = ThemeIcons::bundled(QStringLiteral("unknown"));
    }
    return icon;
}
