#include "model/UndoHistory.h"

#include "model/NookStore.h"

#include <algorithm>

UndoHistory::UndoHistory(NookStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store) {}

std::optional<UndoHistory::Step> UndoHistory::last() const {
    return m_steps.isEmpty() ? std::nullopt : std::optional(m_steps.last().step);
}

QList<NookItem> UndoHistory::removedItems() const {
    QList<NookItem> items;
    for (const Entry& entry : m_steps) {
        if (const auto* nook = std::get_if<RemovedNook>(&entry.change))
            items += nook->group.items;
        else if (const auto* removed = std::get_if<RemovedItem>(&entry.change))
            items += removed->item;
        else if (const auto* several = std::get_if<Several<RemovedItem>>(&entry.change))
            for (const RemovedItem& each : several->changes)
                items += each.item;
    }
    return items;
}

quint64 UndoHistory::keep(Kind kind, const QString& name, Change change, qsizetype count) {
    m_steps.append(Entry{Step{++m_lastSerial, kind, name, count}, std::move(change)});
    if (m_steps.size() > kMaxSteps)
        drop(m_steps.takeFirst());
    emit changed();
    return m_lastSerial;
}

quint64 UndoHistory::removeGroup(QUuid groupID) {
    const QList<NookGroup>& groups = m_store.groups();
    const NookGroup* found = findGroup(groups, groupID);
    if (!found)
        return 0;
    const RemovedNook removed{*found, int(found - groups.constData())};
    m_store.deleteGroup(groupID);
    return keep(Kind::RemovedNook, removed.group.name, removed);
}

quint64 UndoHistory::removeItem(QUuid itemID, QUuid groupID) {
    const NookGroup* group = m_store.group(groupID);
    const qsizetype index = group ? indexOfItem(*group, itemID) : -1;
    if (index < 0)
        return 0;
    const RemovedItem removed{group->items.at(index), groupID, int(index)};
    m_store.removeItem(itemID, groupID);
    return keep(Kind::RemovedItem, removed.item.name, removed);
}

quint64 UndoHistory::transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy) {
    const NookGroup* from = m_store.group(fromGroupID);
    const qsizetype index = from ? indexOfItem(*from, itemID) : -1;
    if (index < 0)
        return 0;
    const NookItem item = from->items.at(index);
    const std::optional<QUuid> arrived = m_store.transferItem(itemID, fromGroupID, toGroupID, copy);
    if (!arrived)
        return 0;
    return keep(copy ? Kind::CopiedItem : Kind::MovedItem, item.name,
                Transfer{item, fromGroupID, toGroupID, *arrived, int(index), copy});
}

// Each is removed or moved in turn, its place noted as it was at that moment.
quint64 UndoHistory::removeItems(const QList<ItemRef>& items) {
    Several<RemovedItem> removed;
    for (const ItemRef& ref : items) {
        const NookGroup* group = m_store.group(ref.groupID);
        const qsizetype index = group ? indexOfItem(*group, ref.itemID) : -1;
        if (index < 0)
            continue;
        removed.changes << RemovedItem{group->items.at(index), ref.groupID, int(index)};
        m_store.removeItem(ref.itemID, ref.groupID);
    }
    if (removed.changes.isEmpty())
        return 0;
    return keep(Kind::RemovedItems, removed.changes.first().item.name, removed, removed.changes.size());
}

quint64 UndoHistory::transferItems(const QList<ItemRef>& items, QUuid toGroupID, bool copy) {
    Several<Transfer> done;
    for (const ItemRef& ref : items) {
        const NookGroup* from = m_store.group(ref.groupID);
        const qsizetype index = from ? indexOfItem(*from, ref.itemID) : -1;
        if (index < 0)
            continue;
        const NookItem item = from->items.at(index);
        if (const auto arrived = m_store.transferItem(ref.itemID, ref.groupID, toGroupID, copy))
            done.changes << Transfer{item, ref.groupID, toGroupID, *arrived, int(index), copy};
    }
    if (done.changes.isEmpty())
        return 0;
    return keep(copy ? Kind::CopiedItems : Kind::MovedItems, done.changes.first().item.name, done,
                done.changes.size());
}

quint64 UndoHistory::arrangeItems(QUuid groupID, const QList<QUuid>& itemIDs) {
    const NookGroup* group = m_store.group(groupID);
    if (!group)
        return 0;
    Arranged arranged{groupID, {}};
    for (const NookItem& item : group->items)
        arranged.before << item.id;
    const QString name = group->name;
    m_store.arrangeItems(groupID, itemIDs);
    return keep(Kind::SortedNook, name, arranged);
}

bool UndoHistory::undo(quint64 serial) {
    while (!m_steps.isEmpty() && (serial == 0 || m_steps.last().step.serial == serial)) {
        const Entry entry = m_steps.takeLast();
        if (canTakeBack(entry.change)) {
            takeBack(entry.change);
            emit changed();
            return true;
        }
        drop(entry);
        emit changed();
    }
    return false;
}

// Only into nooks that are still there, and never a second copy of what is there already.
// Several only all together.
bool UndoHistory::canTakeBack(const Change& change) const {
    if (const auto* removed = std::get_if<Several<RemovedItem>>(&change))
        return std::all_of(removed->changes.cbegin(), removed->changes.cend(),
                           [&](const RemovedItem& each) { return canTakeBack(each); });
    if (const auto* transfers = std::get_if<Several<Transfer>>(&change))
        return std::all_of(transfers->changes.cbegin(), transfers->changes.cend(),
                           [&](const Transfer& each) { return canTakeBack(each); });
    if (const auto* nook = std::get_if<RemovedNook>(&change))
        return !m_store.group(nook->group.id);
    if (const auto* removed = std::get_if<RemovedItem>(&change)) {
        const NookGroup* group = m_store.group(removed->groupID);
        return group && indexOfItem(*group, removed->item.id) < 0;
    }
    if (const auto* arranged = std::get_if<Arranged>(&change))
        return m_store.group(arranged->groupID) != nullptr;
    const auto& transfer = std::get<Transfer>(change);
    const NookGroup* to = m_store.group(transfer.toGroupID);
    return to && indexOfItem(*to, transfer.arrivedID) >= 0 &&
           (transfer.copy || m_store.group(transfer.fromGroupID));
}

void UndoHistory::takeBack(const Change& change) {
    if (const auto* removed = std::get_if<Several<RemovedItem>>(&change)) {
        for (auto each = removed->changes.crbegin(); each != removed->changes.crend(); ++each)
            takeBack(*each);
    } else if (const auto* transfers = std::get_if<Several<Transfer>>(&change)) {
        for (auto each = transfers->changes.crbegin(); each != transfers->changes.crend(); ++each)
            takeBack(*each);
    } else if (const auto* nook = std::get_if<RemovedNook>(&change)) {
        m_store.insertGroup(nook->group, nook->index);
        m_store.selectGroup(nook->group.id);
    } else if (const auto* removed = std::get_if<RemovedItem>(&change)) {
        m_store.insertItem(removed->item, removed->groupID, removed->index);
        m_store.selectGroup(removed->groupID);
    } else if (const auto* arranged = std::get_if<Arranged>(&change)) {
        m_store.arrangeItems(arranged->groupID, arranged->before);
        m_store.selectGroup(arranged->groupID);
    } else {
        const auto& transfer = std::get<Transfer>(change);
        m_store.removeItem(transfer.arrivedID, transfer.toGroupID);
        if (!transfer.copy) {
            m_store.insertItem(transfer.item, transfer.fromGroupID, transfer.index);
            m_store.selectGroup(transfer.fromGroupID);
        }
    }
}

void UndoHistory::drop(const Entry& entry) {
    if (const auto* nook = std::get_if<RemovedNook>(&entry.change)) {
        if (!nook->group.items.isEmpty())
            emit forgotten(nook->group.items);
    } else if (const auto* removed = std::get_if<RemovedItem>(&entry.change)) {
        emit forgotten({removed->item});
    } else if (const auto* several = std::get_if<Several<RemovedItem>>(&entry.change)) {
        QList<NookItem> items;
        for (const RemovedItem& each : several->changes)
            items << each.item;
        emit forgotten(items);
    }
}
