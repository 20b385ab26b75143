#pragma once

#include "model/NookItem.h"

#include <QList>

#include <algorithm>

// A named group of items, shown as one tab. Equal when id, name and every item
// (in order) are equal.
struct NookGroup {
    QUuid id;
    QString name;
    QList<NookItem> items;

    friend bool operator==(const NookGroup&, const NookGroup&) = default;
};

// The group with this id in the list, or null.
inline const NookGroup* findGroup(const QList<NookGroup>& groups, const QUuid& id) {
    const auto found =
        std::find_if(groups.cbegin(), groups.cend(), [&](const NookGroup& g) { return g.id == id; });
    return found == groups.cend() ? nullptr : &*found;
}

// Where the item with this id stands in the group, or -1.
inline qsizetype indexOfItem(const NookGroup& group, const QUuid& itemID) {
    for (qsizetype i = 0; i < group.items.size(); ++i) {
        if (group.items.at(i).id == itemID)
            return i;
    }
    return -1;
}
