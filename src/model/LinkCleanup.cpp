#include "model/LinkCleanup.h"

#include "model/HandOverQueue.h"
#include "model/NookStore.h"
#include "model/WebLinks.h"

namespace LinkCleanup {

namespace {

QSet<QString> storePaths(const NookStore& store) {
    QSet<QString> paths;
    for (const NookGroup& group : store.groups())
        paths.unite(WebLinks::pathsOf(group.items));
    return paths;
}

} // namespace

void atStart(NookStore& store) {
    HandOverQueue& queue = store.handOvers();
    queue.runInTurn([folder = queue.linkFolder(), referenced = storePaths(store)] {
        WebLinks::removeUnreferenced(folder, referenced);
    });
}

void forgotten(NookStore& store, const QList<NookItem>& items, const QList<NookItem>& undoable) {
    const QSet<QString> gone = WebLinks::pathsOf(items);
    if (gone.isEmpty())
        return;
    HandOverQueue& queue = store.handOvers();
    queue.runInTurn([folder = queue.linkFolder(), gone,
                     referenced = storePaths(store).unite(WebLinks::pathsOf(undoable))] {
        WebLinks::removeForgotten(folder, gone, referenced);
    });
}

} // namespace LinkCleanup
