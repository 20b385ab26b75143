#include "HandOverIndex.h"

#include "Bookmarks.h"

#include <algorithm>

HandOverIndex::HandOverIndex(const QList<NookItem>& items) {
    m_paths.reserve(items.size());
    for (const NookItem& item : items) {
        if (const auto path = Bookmarks::presentPath(item.bookmarkData))
            m_paths.insert(*path);
        else if (const quint64 inode = Bookmarks::inodeOf(item.bookmarkData))
            m_gone.insert(inode, item.bookmarkData);
    }
}

bool HandOverIndex::contains(const QString& path, const QByteArray& bookmark) const {
    if (m_paths.contains(path))
        return true;
    const QList<QByteArray> gone = m_gone.values(Bookmarks::inodeOf(bookmark));
    return std::any_of(gone.cbegin(), gone.cend(),
                       [&](const QByteArray& record) { return Bookmarks::sameIdentity(record, bookmark); });
}

void HandOverIndex::insert(const QString& path) {
    m_paths.insert(path);
}
