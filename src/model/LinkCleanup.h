#pragma once

#include "model/NookItem.h"

#include <QList>

class NookStore;

// When our link files go: a link item's file stays as long as its removal can be undone,
// since the undo puts back the item, not the file. Both run on the hand-over queue's thread,
// so no preparation is making or reading a link file meanwhile.
namespace LinkCleanup {

// At start: our link files no item refers to (left by removals the last run could still
// undo when it ended). Nothing at all, not even a thread, when there is no links folder.
void atStart(NookStore& store);
// From now on, the files of removed items whose removal leaves the store's undo history.
void follow(NookStore& store);
// Removed items that can no longer be put back. `undoable`: items still waiting for an undo,
// which keep their files as the store's items do.
void forgotten(NookStore& store, const QList<NookItem>& items, const QList<NookItem>& undoable = {});

} // namespace LinkCleanup
