#include "model/HandOverIndex.h"

#include "model/Bookmarks.h"

#include <algorithm>

HandOverIndex::HandOverIndex(const QList<NookItem>& items) {
    m_paths.reserve(items.size());
    for (const NookItem& item : items) {
        if (const auto path = Bookmarks::recordedPath(item.bookmarkData))
            m_paths.insert(*path);
        if (const quint64 inode = Bookmarks::inodeOf(item.bookmarkData))
            m_byInode.insert(inode, item.bookmarkData);
    }
}

bool HandOverIndex::contains(const QString& path, const QByteArray& bookmark) const {
    if (m_paths.contains(path))
        return true;
    // A target still at its recorded place is another file than this one.
    const QList<QByteArray> candidates = m_byInode.values(Bookmarks::inodeOf(bookmark));
    return std::any_of(candidates.cbegin(), candidates.cend(), [&](const QByteArray& record) {
        return Bookmarks::sameIdentity(record, bookmark) && !Bookmarks::presentPath(record);
    });
}

void HandOverIndex::insert(const QString& path) {
    m_paths.insert(path);
}
