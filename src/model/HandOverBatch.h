#pragma once

#include "model/HandOver.h"
#include "model/NookItem.h"

#include <QStringList>

#include <functional>

// The file-system half of a hand-over: records and names for the new files, checked
// against the group's targets and against each other. Any thread; no search.
struct HandOverBatch {
    QList<NookItem> items; // the new items, in the order given
    QStringList paths;     // their standardized paths
    HandOverResult result;

    // `progress` hears how many of the URLs were looked at, now and then.
    static HandOverBatch prepare(const QList<NookItem>& groupItems, const QList<QUrl>& urls,
                                 const std::function<void(int)>& progress = {});

    // Items the group gained since `groupItems` were taken: what they hold already counts
    // as a duplicate now.
    void dropHeldBy(const QList<NookItem>& laterItems);
};
