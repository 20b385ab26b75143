#include "model/WebLinks.h"

#include "model/Bookmarks.h"
#include "platform/LogCategories.h"
#include "platform/xdg/LinkEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace WebLinks {

namespace {

constexpr qsizetype kMaxNameLength = 200;

// Link files are never rewritten, so what one held is remembered for the run (a name freed
// by a clean-up and taken again is remembered anew when it is made).
struct Remembered {
    QMutex mutex;
    QHash<QString, QString> keys; // link file -> address key
};
Remembered& remembered() {
    static Remembered* const instance = new Remembered; // workers may outlive static destruction
    return *instance;
}

void remember(const QString& path, const QString& key) {
    QMutexLocker lock(&remembered().mutex);
    remembered().keys.insert(path, key);
}

} // namespace

bool isWebAddress(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

QString folderIn(const QString& dataFolder) {
    return QDir::cleanPath(dataFolder + QStringLiteral("/links"));
}

QString defaultName(const QUrl& url) {
    QString path = url.path(QUrl::FullyDecoded);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return url.host() + path;
}

QString addressKey(const QUrl& url) {
    QUrl normal = url.adjusted(QUrl::NormalizePathSegments);
    if ((normal.scheme() == QLatin1String("http") && normal.port() == 80) ||
        (normal.scheme() == QLatin1String("https") && normal.port() == 443))
        normal.setPort(-1);
    if (normal.path().isEmpty())
        normal.setPath(QStringLiteral("/"));
    return normal.toString(QUrl::FullyEncoded);
}

std::optional<Made> make(const QString& folder, const QUrl& url, const QString& title) {
    QString name = title.simplified().left(kMaxNameLength);
    if (name.isEmpty())
        name = defaultName(url);
    const std::optional<QString> path = LinkEntry::create(folder, url, name);
    if (!path)
        return std::nullopt;
    remember(*path, addressKey(url));
    return Made{*path, name};
}

std::optional<QString> addressKeyOf(const QString& path, bool rememberedOnly) {
    {
        QMutexLocker lock(&remembered().mutex);
        if (const auto found = remembered().keys.constFind(path); found != remembered().keys.cend())
            return *found;
    }
    if (rememberedOnly)
        return std::nullopt;
    const std::optional<LinkEntry> entry = LinkEntry::read(path);
    if (!entry || !entry->ours || !isWebAddress(entry->url))
        return std::nullopt;
    const QString key = addressKey(entry->url);
    remember(path, key);
    return key;
}

QSet<QString> addressKeysOf(const QList<NookItem>& items, const QString& folder) {
    const QString prefix = QDir::cleanPath(folder) + QLatin1Char('/');
    QSet<QString> keys;
    for (const NookItem& item : items) {
        const std::optional<QString> path = Bookmarks::recordedPath(item.bookmarkData);
        if (path && path->startsWith(prefix)) {
            if (const auto key = addressKeyOf(*path))
                keys.insert(*key);
        }
    }
    return keys;
}

QSet<QString> pathsOf(const QList<NookItem>& items) {
    QSet<QString> paths;
    for (const NookItem& item : items) {
        if (const auto path = Bookmarks::recordedPath(item.bookmarkData))
            paths.insert(*path);
    }
    return paths;
}

namespace {

// The names of `paths` that lie in the folder `here` (canonical), however the paths spell it
// (a data folder reached through a symbolic link is the same folder).
QSet<QString> namesIn(const QString& here, const QSet<QString>& paths) {
    QSet<QString> names;
    QHash<QString, bool> isHere;
    for (const QString& path : paths) {
        const QString parent = QFileInfo(path).path();
        auto known = isHere.find(parent);
        if (known == isHere.end())
            known = isHere.insert(parent, QFileInfo(parent).canonicalFilePath() == here);
        if (*known)
            names.insert(QFileInfo(path).fileName());
    }
    return names;
}

// Removes our link files in `folder` that no referenced path names; with `only`, just those.
int removeLinks(const QString& folder, const QSet<QString>& referencedPaths,
                const std::optional<QSet<QString>>& only) {
    const QString here = QFileInfo(folder).canonicalFilePath();
    if (here.isEmpty())
        return 0;
    const QSet<QString> referenced = namesIn(here, referencedPaths);
    const std::optional<QSet<QString>> candidates = only ? std::optional(namesIn(here, *only)) : std::nullopt;
    int removed = 0;
    const QFileInfoList files = QDir(here).entryInfoList({QStringLiteral("*.desktop")},
                                                         QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : files) {
        if (referenced.contains(file.fileName()) || (candidates && !candidates->contains(file.fileName())))
            continue;
        const std::optional<LinkEntry> entry = LinkEntry::read(file.filePath());
        if (!entry || !entry->ours)
            continue;
        if (QFile::remove(file.filePath())) {
            ++removed;
            QMutexLocker lock(&remembered().mutex);
            remembered().keys.remove(QDir::cleanPath(folder) + QLatin1Char('/') + file.fileName());
        } else {
            qCWarning(lcStore) << "cannot remove the unused link file" << file.filePath();
        }
    }
    return removed;
}

} // namespace

int removeUnreferenced(const QString& folder, const QSet<QString>& referencedPaths) {
    return removeLinks(folder, referencedPaths, std::nullopt);
}

int removeForgotten(const QString& folder, const QSet<QString>& forgottenPaths,
                    const QSet<QString>& referencedPaths) {
    if (forgottenPaths.isEmpty())
        return 0;
    return removeLinks(folder, referencedPaths, forgottenPaths);
}

} // namespace WebLinks
