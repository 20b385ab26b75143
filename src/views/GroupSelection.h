#pragma once

#include "views/GroupSummary.h"

#include <optional>

struct NookGroup;

// What the tabs show of the groups, and the group the keys step to.
namespace GroupSelection {

QList<GroupSummary> summaries(const QList<NookGroup>& groups);

// `step` groups on from `current`, round the ends; the first when `current` names none.
std::optional<QUuid> adjacent(const QList<NookGroup>& groups, const std::optional<QUuid>& current, int step);

} // namespace GroupSelection
