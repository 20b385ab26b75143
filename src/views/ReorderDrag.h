#pragma once

#include <QUuid>

#include <functional>
#include <optional>

// A drag that reorders a row of entries (the grid's items, the tabs) while it goes on:
// the dragged entry passing over another one takes that one's place at once. The owner
// begins it when its drag starts, passes on the drag events over its entries, and ends
// it however the drag ended. It works from the remembered dragged entry, never from
// the dragged data, which any application may send.
class ReorderDrag {
public:
    // Asks the owner to move `dragged` to where `target` is now.
    using Move = std::function<void(const QUuid& dragged, const QUuid& target)>;

    explicit ReorderDrag(Move move)
        : m_move(std::move(move)) {}

    void begin(const QUuid& dragged) {
        m_dragged = dragged;
        m_moved = false;
    }
    void end() {
        m_dragged.reset();
        m_moved = false;
    }

    std::optional<QUuid> dragged() const { return m_dragged; }
    // The dragged entry has left its place (the grid then draws it faded).
    bool hasMoved() const { return m_moved; }

    // The drag arrived over `target`; true when it is this drag's to take.
    bool enter(const QUuid& target) {
        if (!m_dragged)
            return false;
        if (*m_dragged != target) {
            m_moved = true;
            m_move(*m_dragged, target);
        }
        return true;
    }
    bool accepts() const { return m_dragged.has_value(); }
    // Dropped on an entry or beside them: the move has already happened.
    bool drop() {
        const bool accepted = accepts();
        end();
        return accepted;
    }

private:
    Move m_move;
    std::optional<QUuid> m_dragged;
    bool m_moved = false;
};
