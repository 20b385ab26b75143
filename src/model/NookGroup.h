#pragma once

#include "model/NookItem.h"

#include <QList>

// A named group of items, shown as one tab. Equal when id, name and every item
// (in order) are equal.
struct NookGroup {
    QUuid id;
    QString name;
    QList<NookItem> items;

    friend bool operator==(const NookGroup&, const NookGroup&) = default;
};
