#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUuid>

// One file, folder or application of a nook. A plain value: equal when all three
// fields are equal, so two items with the same id but another name differ.
struct NookItem {
    QUuid id;
    QString name;
    QByteArray bookmarkData; // opaque; only Bookmarks makes and reads it

    friend bool operator==(const NookItem&, const NookItem&) = default;
};

inline size_t qHash(const NookItem& item, size_t seed = 0) {
    return qHashMulti(seed, item.id, item.name, item.bookmarkData);
}
