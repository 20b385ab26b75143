#pragma once

#include <QByteArray>
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
