#pragma once

#include "model/NookItem.h"

#include <QList>
#include <QSet>
#include <QUuid>

#include <optional>

// Which items of a grid are selected, by id, and the anchor that Shift extends from. It
// knows nothing of widgets: each operation is given the grid's items in their order and the
// indexes it acts on. Every operation but `follow` and `clear` leaves an anchor on an item.
class GridSelection {
public:
    const QSet<QUuid>& ids() const { return m_ids; }
    bool contains(const QUuid& id) const { return m_ids.contains(id); }
    bool isEmpty() const { return m_ids.isEmpty(); }
    qsizetype size() const { return m_ids.size(); }
    std::optional<QUuid> anchor() const { return m_anchor; }

    // A plain click (or a plain key that moves): nothing selected, the anchor on that item.
    void click(const QList<NookItem>& items, int index);
    // Ctrl+click: that item in or out, the anchor on it.
    void ctrlClick(const QList<NookItem>& items, int index);
    // Shift+click and Shift with a key that moves: the items from the anchor to `to`, and only
    // those. Without an anchor, it is set on `from` (where the keyboard was).
    void shiftClick(const QList<NookItem>& items, int from, int to) { extend(items, from, to); }
    void shiftMove(const QList<NookItem>& items, int from, int to) { extend(items, from, to); }
    void selectAll(const QList<NookItem>& items);
    // A rubber band begins: with `add` (Ctrl held) what is selected stays and the band adds to it.
    void beginBand(bool add);
    // The band now touches these cells.
    void band(const QList<NookItem>& items, const QList<int>& touched);
    // False when nothing was selected.
    bool clear();
    // The grid shows other items: those that went leave the selection, the anchor too.
    void follow(const QList<NookItem>& items);
    // The selected items in the grid's order.
    QList<NookItem> selectedIn(const QList<NookItem>& items) const;

private:
    void extend(const QList<NookItem>& items, int from, int to);

    QSet<QUuid> m_ids;
    QSet<QUuid> m_bandBase;
    std::optional<QUuid> m_anchor;
};
