#include "model/HandOverBatch.h"

#include "model/Bookmarks.h"
#include "model/FileUrls.h"
#include "model/HandOverIndex.h"
#include "model/NookStore.h"

namespace {
constexpr int kProgressEvery = 100;
} // namespace

HandOverBatch HandOverBatch::prepare(const QList<NookItem>& groupItems, const QList<QUrl>& urls,
                                     const std::function<void(int)>& progress) {
    HandOverBatch batch;
    HandOverIndex index(groupItems);
    for (qsizetype i = 0; i < urls.size(); ++i) {
        if (progress && i % kProgressEvery == 0)
            progress(int(i));
        const QUrl& url = urls.at(i);
        const auto bookmark = Bookmarks::makeBookmark(url); // refuses anything but a local file
        if (!bookmark) {
            batch.result.rejected << url;
            continue;
        }
        const QString path = FileUrls::localPath(url).value_or(QString());
        if (index.contains(path, *bookmark)) {
            batch.result.duplicates << url;
            continue;
        }
        index.insert(path);
        batch.items << NookItem{QUuid::createUuid(), NookStore::itemName(url), *bookmark};
        batch.paths << path;
        batch.result.added << url;
    }
    return batch;
}

void HandOverBatch::dropHeldBy(const QList<NookItem>& laterItems) {
    if (laterItems.isEmpty())
        return;
    const HandOverIndex held(laterItems);
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        if (held.contains(paths.at(i), items.at(i).bookmarkData)) {
            result.duplicates << result.added.takeAt(i);
            items.removeAt(i);
            paths.removeAt(i);
        }
    }
}
