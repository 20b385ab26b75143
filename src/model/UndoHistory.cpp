#include "model/UndoHistory.h"

#include "model/NookStore.h"

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
    }
    return items;
}

quint64 UndoHistory::keep(Kind kind, const QString& name,
                          std::variant<RemovedNook, RemovedItem, Transfer, Arranged> change) {
    m_steps.append(Entry{Step{++m_lastSerial, kind, name}, std::move(change)});
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
        if (canTakeBack(entry)) {
            takeBack(entry);
            emit changed();
            return true;
        }
        drop(entry);
        emit changed();
    }
    return false;
}

// Only into nooks that are still there, and never a second copy of what is there already.
bool UndoHistory::canTakeBack(const Entry& entry) const {
    if (const auto* nook = std::get_if<RemovedNook>(&entry.change))
        return !m_store.group(nook->group.id);
    if (const auto* removed = std::get_if<RemovedItem>(&entry.change)) {
        const NookGroup* group = m_store.group(removed->groupID);
        return group && indexOfItem(*group, removed->item.id) < 0;
    }
    if (const auto* arranged = std::get_if<Arranged>(&entry.change))
        return m_store.group(arranged->groupID) != nullptr;
    const auto& transfer = std::get<Transfer>(entry.change);
    const NookGroup* to = m_store.group(transfer.toGroupID);
    return to && indexOfItem(*to, transfer.arrivedID) >= 0 &&
           (transfer.copy || m_store.group(transfer.fromGroupID));
}

void UndoHistory::takeBack(const Entry& entry) {
    if (const auto* nook = std::get_if<RemovedNook>(&entry.change)) {
        m_store.insertGroup(nook->group, nook->index);
        m_store.selectGroup(nook->group.id);
    } else if (const auto* removed = std::get_if<RemovedItem>(&entry.change)) {
        m_store.insertItem(removed->item, removed->groupID, removed->index);
        m_store.selectGroup(removed->groupID);
    } else if (const auto* arranged = std::get_if<Arranged>(&entry.change)) {
        m_store.arrangeItems(arranged->groupID, arranged->before);
        m_store.selectGroup(arranged->groupID);
    } else {
        const auto& transfer = std::get<Transfer>(entry.change);
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
    }
}
