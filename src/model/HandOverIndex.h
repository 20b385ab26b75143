#pragma once

#include "model/NookItem.h"

#include <QHash>
#include <QSet>
#include <QString>

// The targets of one group as a hand-over compares against them, built once per
// hand-over and without any search. A file is held when a target was recorded at its
// path (the file is there, so that target is present), or when a target gone from its
// recorded place is the same file (a moved target is the same file wherever it is now).
// Building reads only the records; the disk is asked only about targets whose identity
// matches a file handed over. Main thread or worker alike.
class HandOverIndex {
public:
    explicit HandOverIndex(const QList<NookItem>& items);

    // `path` is the standardized path of an existing file, `bookmark` the record made for it.
    bool contains(const QString& path, const QByteArray& bookmark) const;
    void insert(const QString& path);

private:
    QSet<QString> m_paths;                     // recorded paths
    QMultiHash<quint64, QByteArray> m_byInode; // inode -> records that carry an identity
};
