#pragma once

#include <QUuid>

#include <functional>
#include <optional>

// The drop handling of one tab while a tab is being dragged to a new place. It works
// from the tab bar's remembered dragged group, never from the dragged content.
class TuckawayTabMoveDelegate {
public:
    using MoveAction = std::function<void(const QUuid& dragged, const QUuid& target)>;

    TuckawayTabMoveDelegate(const QUuid& id, std::optional<QUuid>& activeID, bool& hasChangedLocation,
                            MoveAction moveAction)
        : m_id(id)
        , m_activeID(activeID)
        , m_hasChangedLocation(hasChangedLocation)
        , m_moveAction(std::move(moveAction)) {}

    // The dragged tab arrives over this tab: its group takes this tab's place.
    void dropEntered() {
        if (!m_activeID || *m_activeID == m_id)
            return;
        m_hasChangedLocation = true;
        const QUuid dragged = *m_activeID;
        if (m_moveAction)
            m_moveAction(dragged, m_id);
    }

    Qt::DropAction dropUpdated() const { return m_activeID ? Qt::MoveAction : Qt::IgnoreAction; }

    bool performDrop() {
        if (!m_activeID)
            return false;
        m_hasChangedLocation = false;
        m_activeID.reset();
        return true;
    }

private:
    QUuid m_id;
    std::optional<QUuid>& m_activeID;
    bool& m_hasChangedLocation;
    MoveAction m_moveAction;
};
