#include "model/IconCache.h"

#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "platform/LogCategories.h"
#include "platform/xdg/DesktopEntry.h"
#include "platform/xdg/ThemeIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
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

void IconCache::startLoad(const NookItem& item) {
    ++m_loadsStarted;
    BackgroundWork::run([answer = m_answer, item] {
        const IconSource source = loadIcon(item);
        QMutexLocker lock(&answer->mutex);
        if (IconCache* cache = answer->cache) {
            QMetaObject::invokeMethod(
                cache, [cache, id = item.id, source] { cache->finishLoad(id, source); },
                Qt::QueuedConnection);
        }
    });
}

void IconCache::finishLoad(const QUuid& id, const IconSource& source) {
    const Load load = m_loading.take(id);
    const QIcon icon = makeIcon(source);
    if (load.keep)
        insert(id, icon);
    for (const Waiter& waiter : load.waiters) {
        if (waiter.context)
            waiter.done(icon);
    }
    emit iconLoaded(id);
}

IconSource IconCache::loadIcon(const NookItem& item) {
    const std::optional<QString> path = Bookmarks::resolvePath(item.bookmarkData);
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
    }
    static const QMimeDatabase database; // thread-safe
    const QMimeType type = database.mimeTypeForFile(info);
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
