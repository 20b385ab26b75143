#pragma once

#include "model/NookGroup.h"

// Brings together our nooks and a version of the data file changed elsewhere, both grown
// from `base` (what the file held when we last wrote or read it). Nooks and items are
// matched by id. Where only one side changed anything, that side's version is the result;
// where one side only added nooks or items, they join the other side's version (a file a
// nook holds already is not added twice). Anything else cannot be merged unseen: the result
// is ours with what the other side added where it still fits, and `conflict` says that the
// other version must be kept for the user.
namespace NookMerge {

struct Result {
    QList<NookGroup> groups;
    bool conflict = false;
};

Result merge(const QList<NookGroup>& base, const QList<NookGroup>& ours, const QList<NookGroup>& theirs);

} // namespace NookMerge
