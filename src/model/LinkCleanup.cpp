#include "model/LinkCleanup.h"

#include "model/HandOverQueue.h"
#include "model/NookStore.h"
#include "model/UndoHistory.h"
#include "model/WebLinks.h"

#include <QFileInfo>

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
    if (!QFileInfo(queue.linkFolder()).isDir())
        return;
    queue.runInTurn([folder = queue.linkFolder(), referenced = storePaths(store)] {
        WebLinks::removeUnreferenced(folder, referenced);
    });
}

void follow(NookStore& store) {
    UndoHistory& history = store.undoHistory();
    QObject::connect(&history, &UndoHistory::forgotten, &store,
                     [&store, &history](const QList<NookItem>& items) {
                         forgotten(store, items, history.removedItems());
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
