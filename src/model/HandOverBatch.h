#pragma once

#include "model/HandOver.h"
#include "model/NookItem.h"
#include "model/WebLinks.h"

#include <QStringList>

#include <functional>

// The file-system half of a hand-over: records and names for the new files, checked
// against the group's targets and against each other. Web addresses become link files
// (see WebLinks) when `links` names their folder; the same address twice in a group is a
// duplicate. Any thread; no search.
struct HandOverBatch {
    QList<NookItem> items; // the new items, in the order given
    QStringList paths;     // their standardized paths
    HandOverResult result;
    QStringList addresses = {}; // each item's address key, empty for files

    // `progress` hears how many of the URLs were looked at, now and then.
    static HandOverBatch prepare(const QList<NookItem>& groupItems, const QList<QUrl>& urls,
                                 const std::function<void(int)>& progress = {},
                                 const WebLinks::HandOver& links = {});

    // Items the group gained since `groupItems` were taken: what they hold already counts
    // as a duplicate now.
    void dropHeldBy(const QList<NookItem>& laterItems);

private:
    void addLink(const QUrl& url, const WebLinks::HandOver& links, QSet<QString>& held);
};
