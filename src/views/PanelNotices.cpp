#include "views/PanelNotices.h"

#include "model/IconCache.h"
#include "model/NookStore.h"

PanelNotices::PanelNotices(NookStore& store, IconCache& icons, NoticeBar& bar,
                           std::function<void(const QUuid&)> select, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_icons(icons)
    , m_bar(bar)
    , m_select(std::move(select)) {
    connect(&m_store, &NookStore::saveFailed, this, [this](const QString& reason, quint64) {
        post({qtTrId("notice.save_failed").arg(reason), {}, {}, 0}, false);
    });
}

void PanelNotices::post(NoticeBar::Notice notice, bool undoes) {
    m_bar.post(std::move(notice));
    m_undoes = undoes;
}

bool PanelNotices::undo() {
    return m_undoes && m_bar.triggerAction();
}

void PanelNotices::removeGroup(const QUuid& groupID) {
    const QList<NookGroup>& groups = m_store.groups();
    const NookGroup* found = findGroup(groups, groupID);
    if (!found)
        return;
    const NookGroup group = *found;
    const int index = int(found - groups.data());
    m_store.deleteGroup(groupID);
    post({qtTrId("notice.removed").arg(group.name), qtTrId("action.undo"),
          [this, group, index] {
              m_store.insertGroup(group, index);
              m_select(group.id);
          },
          kUndoMs},
         true);
}

void PanelNotices::removeItem(const QUuid& itemID, const QUuid& groupID) {
    const NookGroup* group = findGroup(m_store.groups(), groupID);
    const qsizetype index = group ? indexOfItem(*group, itemID) : -1;
    if (index < 0)
        return;
    const NookItem item = group->items.at(index);
    m_store.removeItem(itemID, groupID);
    m_icons.remove(itemID);
    post({qtTrId("notice.removed").arg(item.name), qtTrId("action.undo"),
          [this, item, groupID, index] {
              m_store.insertItem(item, groupID, int(index));
              m_select(groupID);
          },
          kUndoMs},
         true);
}

void PanelNotices::transferItem(const QUuid& itemID, const QUuid& fromGroupID, const QUuid& toGroupID,
                                bool copy) {
    const NookGroup* from = findGroup(m_store.groups(), fromGroupID);
    const NookGroup* to = findGroup(m_store.groups(), toGroupID);
    const qsizetype index = from ? indexOfItem(*from, itemID) : -1;
    if (!to || index < 0 || fromGroupID == toGroupID)
        return;
    const NookItem item = from->items.at(index);
    const QString toName = to->name;
    const std::optional<QUuid> arrived = m_store.transferItem(itemID, fromGroupID, toGroupID, copy);
    if (!arrived)
        return;
    post({qtTrId(copy ? "notice.copied_to" : "notice.moved_to").arg(item.name, toName), qtTrId("action.undo"),
          [this, item, copy, index, fromGroupID, toGroupID, arrived] {
              m_store.removeItem(*arrived, toGroupID);
              if (!copy)
                  m_store.insertItem(item, fromGroupID, int(index));
          },
          kUndoMs},
         true);
}

void PanelNotices::tellMissing(const NookItem& item, const QUuid& groupID) {
    post({qtTrId("notice.missing").arg(item.name), qtTrId("action.remove"),
          [this, id = item.id, groupID] { removeItem(id, groupID); }, 0},
         false);
}

void PanelNotices::tellNoApplication(const NookItem& item) {
    post({qtTrId("notice.no_application").arg(item.name), {}, {}, 0}, false);
}

void PanelNotices::tellUnreadableFile() {
    if (!m_store.loadFailed() || m_toldUnreadable)
        return;
    m_toldUnreadable = true;
    const QString kept = m_store.keptUnreadableFile();
    post({kept.isEmpty() ? qtTrId("notice.load_failed").arg(m_store.saveURL().toLocalFile())
                         : qtTrId("notice.load_failed_kept").arg(kept),
          {},
          {},
          0},
         false);
}
