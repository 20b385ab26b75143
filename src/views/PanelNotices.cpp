#include "views/PanelNotices.h"

#include "model/BackgroundWork.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "views/NoticeBar.h"

#include <QCoreApplication>
#include <QPointer>

PanelNotices::PanelNotices(NookStore& store, IconCache& icons, NoticeBar& bar, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_icons(icons)
    , m_bar(bar) {
    connect(&m_bar, &NoticeBar::actionTriggered, this, &PanelNotices::act);
    connect(&m_store, &NookStore::saveFailed, this,
            [this](const QString& reason, quint64) { post(qtTrId("notice.save_failed").arg(reason)); });
    connect(&m_store, &NookStore::conflictKept, this, &PanelNotices::tellConflict);
}

void PanelNotices::post(const QString& text, Action action) {
    const bool removes = std::holds_alternative<RemoveMissing>(action);
    m_undoes = !removes && !std::holds_alternative<std::monostate>(action);
    m_action = std::move(action);
    m_bar.post({text,
                m_undoes  ? qtTrId("action.undo")
                : removes ? qtTrId("action.remove")
                          : QString(),
                m_undoes ? kUndoMs : 0});
}

bool PanelNotices::undo() {
    return m_undoes && m_bar.triggerAction();
}

void PanelNotices::act() {
    const Action action = std::exchange(m_action, {});
    m_undoes = false;
    if (const auto* group = std::get_if<PutBackGroup>(&action)) {
        m_store.insertGroup(group->group, group->index);
        m_store.selectGroup(group->group.id);
    } else if (const auto* item = std::get_if<PutBackItem>(&action)) {
        m_store.insertItem(item->item, item->groupID, item->index);
        m_store.selectGroup(item->groupID);
    } else if (const auto* back = std::get_if<TakeBack>(&action)) {
        m_store.removeItem(back->arrivedID, back->toGroupID);
        if (!back->copy)
            m_store.insertItem(back->item, back->fromGroupID, back->index);
    } else if (const auto* missing = std::get_if<RemoveMissing>(&action)) {
        removeItem(missing->itemID, missing->groupID);
    } else if (const auto* order = std::get_if<PutBackOrder>(&action)) {
        m_store.arrangeItems(order->groupID, order->itemIDs);
        m_store.selectGroup(order->groupID);
    }
}

void PanelNotices::removeGroup(QUuid groupID) {
    const QList<NookGroup>& groups = m_store.groups();
    const NookGroup* found = findGroup(groups, groupID);
    if (!found)
        return;
    const NookGroup group = *found;
    const int index = int(found - groups.data());
    m_store.deleteGroup(groupID);
    post(qtTrId("notice.removed").arg(group.name), PutBackGroup{group, index});
}

void PanelNotices::removeItem(QUuid itemID, QUuid groupID) {
    const NookGroup* group = findGroup(m_store.groups(), groupID);
    const qsizetype index = group ? indexOfItem(*group, itemID) : -1;
    if (index < 0)
        return;
    const NookItem item = group->items.at(index);
    m_store.removeItem(itemID, groupID);
    m_icons.remove(itemID);
    post(qtTrId("notice.removed").arg(item.name), PutBackItem{item, groupID, int(index)});
}

void PanelNotices::transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy) {
    const NookGroup* from = findGroup(m_store.groups(), fromGroupID);
    const NookGroup* to = findGroup(m_store.groups(), toGroupID);
    const qsizetype index = from ? indexOfItem(*from, itemID) : -1;
    if (!to || index < 0 || fromGroupID == toGroupID)
        return;
    const NookItem item = from->items.at(index);
    const QString toName = to->name;
    const std::optional<QUuid> arrived = m_store.transferItem(itemID, fromGroupID, toGroupID, copy);
    if (arrived)
        post(qtTrId(copy ? "notice.copied_to" : "notice.moved_to").arg(item.name, toName),
             TakeBack{item, fromGroupID, toGroupID, *arrived, int(index), copy});
}

void PanelNotices::sortItems(QUuid groupID, ItemOrder::Key key) {
    const NookGroup* group = m_store.group(groupID);
    if (!group || BackgroundWork::stopped())
        return;
    // Kinds and times need the files, which may take long to find: never on the main thread.
    BackgroundWork::run(
        [guard = QPointer(this), items = group->items, groupID, key] {
            const QList<QUuid> order = ItemOrder::sorted(items, key);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, groupID, order, key] {
                    if (guard)
                        guard->arrange(groupID, order, key);
                },
                Qt::QueuedConnection);
        },
        BackgroundWork::UserWaits);
}

void PanelNotices::arrange(QUuid groupID, const QList<QUuid>& itemIDs, ItemOrder::Key key) {
    const NookGroup* group = m_store.group(groupID);
    if (!group)
        return;
    QList<QUuid> before;
    for (const NookItem& item : group->items)
        before << item.id;
    const QString name = group->name;
    m_store.arrangeItems(groupID, itemIDs);
    const char* id = key == ItemOrder::Key::Name   ? "notice.sorted_name"
                     : key == ItemOrder::Key::Kind ? "notice.sorted_kind"
                                                   : "notice.sorted_date";
    post(qtTrId(id).arg(name), PutBackOrder{groupID, before});
}

void PanelNotices::tellMissing(const NookItem& item, QUuid groupID) {
    post(qtTrId("notice.missing").arg(item.name), RemoveMissing{item.id, groupID});
}

void PanelNotices::tellNoApplication(const NookItem& item) {
    post(qtTrId("notice.no_application").arg(item.name));
}

void PanelNotices::tellUnreadableFile() {
    if (!m_store.loadFailed() || m_toldUnreadable)
        return;
    m_toldUnreadable = true;
    const QString kept = m_store.keptUnreadableFile();
    post(kept.isEmpty() ? qtTrId("notice.load_failed").arg(m_store.saveURL().toLocalFile())
                        : qtTrId("notice.load_failed_kept").arg(kept));
}

void PanelNotices::tellConflict(const QString& path) {
    post(qtTrId("notice.conflict_kept").arg(path));
}
