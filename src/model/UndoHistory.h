#pragma once

#include "model/NookGroup.h"

#include <QObject>

#include <optional>
#include <variant>

class NookStore;

// The removals of nooks and items, the moves and copies of items between nooks, and the
// sorting of nooks, of the whole run, newest last, each of which can be taken back in turn. These edits go
// through here to the store, so that nothing is removed without a way back. Several items
// removed, moved or copied at once are one step, taken back together.
//
// A step leaves the history when it is undone, when it is the oldest of more than kMaxSteps,
// or when an undo finds that what it would put back has nowhere to go any more (its nook went
// by another way, say a change of the data file from outside). Whatever a step that leaves
// without being undone had removed is gone for good: `forgotten` tells of those items.
class UndoHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxSteps = 500;

    enum class Kind {
        RemovedNook,
        RemovedItem,
        MovedItem,
        CopiedItem,
        SortedNook,
        RemovedItems,
        MovedItems,
        CopiedItems
    };
    struct Step {
        quint64 serial = 0; // never 0 for a step kept
        Kind kind = Kind::RemovedItem;
        QString name;        // of the nook or item (the first of several), as the user last saw it
        qsizetype count = 1; // of the items removed, moved or copied together
    };
    // An item and the nook it is in.
    struct ItemRef {
        QUuid itemID, groupID;
    };

    explicit UndoHistory(NookStore& store, QObject* parent = nullptr);

    // Each changes the store and keeps the step that takes it back: its serial, or 0 when
    // nothing was changed (unknown ids; for a transfer also the same nook, or a target nook
    // that holds the item's file already).
    quint64 removeGroup(QUuid groupID);
    quint64 removeItem(QUuid itemID, QUuid groupID);
    quint64 transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy);
    // The same for several items at once, as one step; those that cannot be removed or moved
    // are left out. Undone, every one goes back to its place.
    quint64 removeItems(const QList<ItemRef>& items);
    quint64 transferItems(const QList<ItemRef>& items, QUuid toGroupID, bool copy);
    // Puts the nook's items in this order; undone, they go back to the order they had.
    quint64 arrangeItems(QUuid groupID, const QList<QUuid>& itemIDs);

    std::optional<Step> last() const;
    // The items the steps kept have removed, which an undo can still put back.
    QList<NookItem> removedItems() const;
    qsizetype size() const { return m_steps.size(); }

    // Takes back the newest step that can still be taken back; with a serial, only that step
    // and only while it is the newest. What is put back returns to its old place, and its nook
    // becomes the current one. False when nothing was taken back.
    bool undo(quint64 serial = 0);

signals:
    // A step was kept or left.
    void changed();
    // These removed items can no longer be put back: their step left without being undone.
    void forgotten(const QList<NookItem>& items);

private:
    struct RemovedNook {
        NookGroup group;
        int index;
    };
    struct RemovedItem {
        NookItem item;
        QUuid groupID;
        int index;
    };
    struct Transfer {
        NookItem item;
        QUuid fromGroupID, toGroupID, arrivedID;
        int index;
        bool copy;
    };
    struct Arranged {
        QUuid groupID;
        QList<QUuid> before;
    };
    // Several of one kind, in the order they were made: taken back newest first, each finds
    // the place it had.
    template <typename Single> struct Several { QList<Single> changes; };
    using Change =
        std::variant<RemovedNook, RemovedItem, Transfer, Arranged, Several<RemovedItem>, Several<Transfer>>;
    struct Entry {
        Step step;
        Change change;
    };

    quint64 keep(Kind kind, const QString& name, Change change, qsizetype count = 1);
    bool canTakeBack(const Change& change) const;
    void takeBack(const Change& change);
    void drop(const Entry& entry);

    NookStore& m_store;
    QList<Entry> m_steps;
    quint64 m_lastSerial = 0;
};
