#pragma once

#include "views/GroupSummary.h"

#include <optional>

struct NookGroup;

// Which tab is selected as the nooks change or the keys step through them.
namespace GroupSelection {

QList<GroupSummary> summaries(const QList<NookGroup>& groups);

// After `previous` became `current`: the selection itself while it is still there; when it
// is gone, the group that took its place, else the new last one; nothing when none is left.
std::optional<QUuid> afterChange(const QList<GroupSummary>& previous, const QList<GroupSummary>& current,
                                 const std::optional<QUuid>& selected);

// `step` tabs on from the selection, round the ends; the first when nothing is selected.
std::optional<QUuid> adjacent(const QList<GroupSummary>& groups, const std::optional<QUuid>& selected,
                              int step);

} // namespace GroupSelection
