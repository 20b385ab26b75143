#include "model/NookMerge.h"

#include "model/Bookmarks.h"

#include <algorithm>

namespace NookMerge {

namespace {

// `side` without what it added since `base`: equal to `base` when adding is all it did.
QList<NookGroup> withoutAdditions(const QList<NookGroup>& base, const QList<NookGroup>& side) {
    QList<NookGroup> kept;
    for (const NookGroup& group : side) {
        const NookGroup* before = findGroup(base, group.id);
        if (!before)
            continue;
        NookGroup trimmed = group;
        trimmed.items.removeIf([&](const NookItem& item) { return indexOfItem(*before, item.id) < 0; });
        kept << trimmed;
    }
    return kept;
}

bool onlyAdded(const QList<NookGroup>& base, const QList<NookGroup>& side) {
    return withoutAdditions(base, side) == base;
}

// The item, or one for the same file (both sides may have added it).
bool holds(const NookGroup& group, const NookItem& item) {
    const std::optional<QString> path = Bookmarks::recordedPath(item.bookmarkData);
    return std::any_of(group.items.cbegin(), group.items.cend(), [&](const NookItem& other) {
        return other.id == item.id || other.bookmarkData == item.bookmarkData ||
               (path && Bookmarks::recordedPath(other.bookmarkData) == path);
    });
}

// Adds to `onto` the nooks and items `side` added since `base`; false when an item's nook is
// not in `onto` (the other side removed it).
bool addTo(QList<NookGroup>& onto, const QList<NookGroup>& base, const QList<NookGroup>& side) {
    bool all = true;
    for (const NookGroup& group : side) {
        const NookGroup* before = findGroup(base, group.id);
        if (!before) {
            if (!findGroup(onto, group.id))
                onto << group;
            continue;
        }
        const auto target = std::find_if(onto.begin(), onto.end(),
                                         [&](const NookGroup& each) { return each.id == group.id; });
        for (const NookItem& item : group.items) {
            if (indexOfItem(*before, item.id) >= 0)
                continue;
            if (target == onto.end())
                all = false;
            else if (!holds(*target, item))
                target->items << item;
        }
    }
    return all;
}

} // namespace

Result merge(const QList<NookGroup>& base, const QList<NookGroup>& ours, const QList<NookGroup>& theirs) {
    if (ours == base || ours == theirs)
        return {theirs, false};
    if (theirs == base)
        return {ours, false};
    if (onlyAdded(base, ours)) {
        QList<NookGroup> result = theirs;
        if (addTo(result, base, ours))
            return {result, false};
    }
    QList<NookGroup> result = ours;
    const bool all = addTo(result, base, theirs);
    return {result, !all || !onlyAdded(base, theirs)};
}

} // namespace NookMerge
