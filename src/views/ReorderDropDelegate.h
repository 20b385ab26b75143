#pragma once

#include <QList>

#include <functional>
#include <optional>
#include <set>

// The drop handling of one cell while a cell is being dragged to a new place: passing
// over another cell moves the dragged item to that cell's index.
template <typename Item> class ReorderDropDelegate {
public:
    // Offsets in the list before the move, and the index the moved items land before.
    using MoveAction = std::function<void(const std::set<int>& offsets, int destination)>;

    ReorderDropDelegate(Item item, QList<Item> items, std::optional<Item>& active, bool& hasChangedLocation,
                        MoveAction moveAction)
        : m_item(std::move(item))
        , m_items(std::move(items))
        , m_active(active)
        , m_hasChangedLocation(hasChangedLocation)
        , m_moveAction(std::move(moveAction)) {}

    void dropEntered() {
        if (!m_active || *m_active == m_item)
            return;
        const qsizetype from = m_items.indexOf(*m_active);
        const qsizetype to = m_items.indexOf(m_item);
        if (from < 0 || to < 0)
            return;
        m_hasChangedLocation = true;
        if (m_items.at(to) != *m_active && m_moveAction)
            m_moveAction({int(from)}, int(from < to ? to + 1 : to));
    }

    Qt::DropAction dropUpdated() const { return m_active ? Qt::MoveAction : Qt::IgnoreAction; }

    bool performDrop() {
        if (!m_active)
            return false;
        m_hasChangedLocation = false;
        m_active.reset();
        return true;
    }

private:
    Item m_item;
    QList<Item> m_items;
    std::optional<Item>& m_active;
    bool& m_hasChangedLocation;
    MoveAction m_moveAction;
};
