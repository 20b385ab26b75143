#include "views/GroupSelection.h"

#include "model/NookGroup.h"

#include <algorithm>

namespace {
qsizetype indexOf(const QList<GroupSummary>& groups, const std::optional<QUuid>& id) {
    if (!id)
        return -1;
    const auto found =
        std::find_if(groups.cbegin(), groups.cend(), [&](const GroupSummary& g) { return g.id == *id; });
    return found == groups.cend() ? -1 : found - groups.cbegin();
}
} // namespace

QList<GroupSummary> GroupSelection::summaries(const QList<NookGroup>& groups) {
    QList<GroupSummary> result;
    result.reserve(groups.size());
    for (const NookGroup& group : groups)
        result.append({group.id, group.name});
    return result;
}

std::optional<QUuid> GroupSelection::afterChange(const QList<GroupSummary>& previous,
                                                 const QList<GroupSummary>& current,
                                                 const std::optional<QUuid>& selected) {
    if (!selected || indexOf(current, selected) >= 0)
        return selected;
    const qsizetype old = indexOf(previous, selected);
    if (current.isEmpty() || old < 0)
        return std::nullopt;
    return current.at(std::min(old, current.size() - 1)).id;
}

std::optional<QUuid> GroupSelection::adjacent(const QList<GroupSummary>& groups,
                                              const std::optional<QUuid>& selected, int step) {
    const qsizetype count = groups.size();
    if (count == 0)
        return std::nullopt;
    const qsizetype index = indexOf(groups, selected);
    return groups.at(index < 0 ? 0 : (index + step + count) % count).id;
}
