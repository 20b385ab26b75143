#pragma once

#include "NookItem.h"

#include <QList>

// A named group of items, shown as one tab. Equal when id, name and every item
// (in order) are equal.
struct NookGroup {
    QUuid id;
    QString name;
    QList<NookItem> items;

    friend bool operator==(const NookGroup&, const NookGroup&) = default;
};

inline size_t qHash(const NookGroup& group, size_t seed = 0) {
    size_t hash = qHashMulti(seed, group.id, group.name, group.items.size());
    for (const NookItem& item : group.items)
        hash = qHashMulti(hash, item.id, item.name, item.bookmarkData);
    return hash;
}
