#include "model/HandOverBatch.h"

#include "model/Bookmarks.h"
#include "model/FileUrls.h"
#include "model/HandOverIndex.h"
#include "model/NookStore.h"

#include <algorithm>

namespace {
constexpr int kProgressEvery = 100;
} // namespace

HandOverBatch HandOverBatch::prepare(const QList<NookItem>& groupItems, const QList<QUrl>& urls,
                                     const std::function<void(int)>& progress,
                                     const WebLinks::HandOver& links) {
    HandOverBatch batch;
    HandOverIndex index(groupItems);
    std::optional<QSet<QString>> heldAddresses; // read only when a web address comes
    for (qsizetype i = 0; i < urls.size(); ++i) {
        if (progress && i % kProgressEvery == 0)
            progress(int(i));
        const QUrl& url = urls.at(i);
        if (!links.folder.isEmpty() && WebLinks::isWebAddress(url)) {
            if (!heldAddresses)
                heldAddresses = WebLinks::addressKeysOf(groupItems, links.folder);
            batch.addLink(url, links, *heldAddresses);
            continue;
        }
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
        batch.addresses << QString();
        batch.result.added << url;
    }
    return batch;
}

void HandOverBatch::addLink(const QUrl& url, const WebLinks::HandOver& links, QSet<QString>& held) {
    const QString key = WebLinks::addressKey(url);
    if (held.contains(key)) {
        result.duplicates << url;
        return;
    }
    const auto made = WebLinks::make(links.folder, url, links.titles.value(url));
    const auto bookmark = made ? Bookmarks::makeBookmark(QUrl::fromLocalFile(made->path)) : std::nullopt;
    if (!bookmark) {
        result.rejected << url;
        return;
    }
    held.insert(key);
    items << NookItem{QUuid::createUuid(), made->name, *bookmark};
    paths << made->path;
    addresses << key;
    result.added << url;
}

void HandOverBatch::dropHeldBy(const QList<NookItem>& laterItems) {
    if (laterItems.isEmpty())
        return;
    const HandOverIndex held(laterItems);
    // Main thread: the addresses of links made meanwhile are remembered, not read; and looked
    // up only for a batch that holds links, since every later item's path is parsed for it.
    QSet<QString> heldAddresses;
    const bool anyLink = std::any_of(addresses.cbegin(), addresses.cend(),
                                     [](const QString& address) { return !address.isEmpty(); });
    for (const QString& path : anyLink ? WebLinks::pathsOf(laterItems) : QSet<QString>()) {
        if (const auto key = WebLinks::addressKeyOf(path, true))
            heldAddresses.insert(*key);
    }
    for (qsizetype i = items.size() - 1; i >= 0; --i) {
        const QString& address = addresses.at(i);
        if (address.isEmpty() ? held.contains(paths.at(i), items.at(i).bookmarkData)
                              : heldAddresses.contains(address)) {
            // A link file made for the dropped item is left to the clean-up of unused links.
            result.duplicates << result.added.takeAt(i);
            items.removeAt(i);
            paths.removeAt(i);
            addresses.removeAt(i);
        }
    }
}
