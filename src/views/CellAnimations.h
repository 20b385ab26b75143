#pragma once

#include "views/AnimatedValue.h"
#include "views/ItemCell.h"

#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>

// The moving parts of the cells' looks: the hover growth, the fade of a cell being
// dragged and the Alt badge. Kept only for cells that are moving or away from rest.
class CellAnimations {
public:
    // Called whenever a cell's look changed, to repaint it.
    explicit CellAnimations(std::function<void(const QUuid&)> changed);
    ~CellAnimations();

    struct Targets {
        double scale = 1.0;
        double opacity = 1.0;
        double badge = 0.0;
    };
    // Eases the cell towards its new look; the growth springs when `spring` is set.
    void animate(const QUuid& id, const Targets& targets, int scaleMilliseconds, bool spring);
    // The cell's current scale, opacity and badge.
    void applyTo(const QUuid& id, ItemCell::Look& look) const;
    // Forgets the cells at rest, except `keep`.
    void prune(const std::optional<QUuid>& keep, const std::optional<QUuid>& alsoKeep);
    int size() const { return int(m_cells.size()); }

private:
    struct Cell {
        AnimatedValue scale{1.0};
        AnimatedValue opacity{1.0};
        AnimatedValue badge{0.0};
    };

    std::function<void(const QUuid&)> m_changed;
    std::map<QUuid, std::unique_ptr<Cell>> m_cells;
};
