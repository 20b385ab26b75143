#include "views/GroupSelection.h"

#include "model/NookGroup.h"

QList<GroupSummary> GroupSelection::summaries(const QList<NookGroup>& groups) {
    QList<GroupSummary> result;
    result.reserve(groups.size());
    for (const NookGroup& group : groups)
        result.append({group.id, group.name});
    return result;
}

std::optional<QUuid> GroupSelection::adjacent(const QList<NookGroup>& groups,
                                              const std::optional<QUuid>& current, int step) {
    const qsizetype count = groups.size();
    if (count == 0)
        return std::nullopt;
    const NookGroup* found = current ? findGroup(groups, *current) : nullptr;
    const qsizetype index = found ? found - groups.constData() : -1;
    return groups.at(index < 0 ? 0 : (index + step + count) % count).id;
}
