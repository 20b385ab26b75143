#include "views/CellAnimations.h"

CellAnimations::CellAnimations(std::function<void(const QUuid&)> changed)
    : m_changed(std::move(changed)) {}

CellAnimations::~CellAnimations() = default;

void CellAnimations::animate(const QUuid& id, const Targets& targets, int scaleMilliseconds, bool spring) {
    std::unique_ptr<Cell>& cell = m_cells[id];
    if (!cell) {
        cell = std::make_unique<Cell>();
        for (AnimatedValue* value : {&cell->scale, &cell->opacity, &cell->badge})
            QObject::connect(value, &AnimatedValue::changed, [this, id] { m_changed(id); });
    }
    if (spring)
        cell->scale.animateTo(targets.scale, scaleMilliseconds, AnimatedValue::springCurve());
    else
        cell->scale.animateTo(targets.scale, scaleMilliseconds);
    cell->opacity.animateTo(targets.opacity, 150);
    cell->badge.animateTo(targets.badge, 150);
}

void CellAnimations::applyTo(const QUuid& id, ItemCell::Look& look) const {
    const auto it = m_cells.find(id);
    if (it == m_cells.end())
        return;
    look.scale = it->second->scale.value();
    look.opacity = it->second->opacity.value();
    look.badge = it->second->badge.value();
}

void CellAnimations::prune(const std::optional<QUuid>& keep, const std::optional<QUuid>& alsoKeep) {
    std::erase_if(m_cells, [&](const auto& entry) {
        const Cell& cell = *entry.second;
        const bool atRest = !cell.scale.isRunning() && !cell.opacity.isRunning() && !cell.badge.isRunning() &&
                            cell.scale.value() == 1.0 && cell.opacity.value() == 1.0 &&
                            cell.badge.value() == 0.0;
        return atRest && entry.first != keep && entry.first != alsoKeep;
    });
}
