#pragma once

#include "NookItem.h"

#include <QHash>
#include <QSet>
#include <QString>

// The targets of one group as a hand-over compares against them, built once per
// hand-over and without any search: the recorded paths where something still exists,
// and the identities of targets gone from their recorded place (a moved target is the
// same file wherever it is now). Main thread or worker alike; touches only lstat.
class HandOverIndex {
public:
    explicit HandOverIndex(const QList<NookItem>& items);

    // `path` is the standardized path of the file, `bookmark` the record made for it.
    bool contains(const QString& path, const QByteArray& bookmark) const;
    void insert(const QString& path);

private:
    QSet<QString> m_paths;
    QMultiHash<quint64, QByteArray> m_gone; // inode -> records of targets not at their place
};
