#include "views/PanelNotices.h"

#include "model/BackgroundWork.h"
#include "model/IconCache.h"
#include "model/NookStore.h"
#include "model/UndoHistory.h"
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
    // Another nook on screen: what was told of an item of the last one no longer stands.
    connect(&m_store, &NookStore::selectedGroupIDChanged, this,
            [this] { dismissIf(m_kind == Kind::Problem); });
    // An edit that is no longer the newest cannot be undone from its notice.
    connect(&m_store.undoHistory(), &UndoHistory::changed, this, [this] {
        const auto* undo = std::get_if<Undo>(&m_action);
        const std::optional<UndoHistory::Step> last = m_store.undoHistory().last();
        dismissIf(undo && (!last || last->serial != undo->serial));
    });
    connect(&m_store, &NookStore::conflictKept, this, &PanelNotices::tellConflict);
}

void PanelNotices::post(const QString& text, Action action, Kind kind) {
    const bool undoes = std::holds_alternative<Undo>(action);
    const bool removes = std::holds_alternative<RemoveMissing>(action);
    m_action = std::move(action);
    m_kind = kind;
    m_bar.post({text,
                undoes    ? qtTrId("action.undo")
                : removes ? qtTrId("action.remove")
                          : QString(),
                kind == Kind::Edit      ? kUndoMs
                : kind == Kind::Problem ? kProblemMs
                                        : 0});
}

void PanelNotices::dismissIf(bool stale) {
    if (!stale || !m_bar.isPosted())
        return;
    m_action = {};
    m_bar.dismiss();
}

void PanelNotices::panelHidden() {
    dismissIf(true);
}

bool PanelNotices::undo() {
    return m_store.undoHistory().undo();
}

void PanelNotices::act() {
    const Action action = std::exchange(m_action, {});
    if (const auto* undo = std::get_if<Undo>(&action))
        m_store.undoHistory().undo(undo->serial);
    else if (const auto* missing = std::get_if<RemoveMissing>(&action))
        removeItem(missing->itemID, missing->groupID);
}

void PanelNotices::tellEdit(quint64 serial, const QString& text) {
    if (serial != 0)
        post(text, Undo{serial}, Kind::Edit);
}

void PanelNotices::removeGroup(QUuid groupID) {
    const NookGroup* group = m_store.group(groupID);
    const QString name = group ? group->name : QString();
    tellEdit(m_store.undoHistory().removeGroup(groupID), qtTrId("notice.removed").arg(name));
}

void PanelNotices::removeItem(QUuid itemID, QUuid groupID) {
    const NookGroup* group = m_store.group(groupID);
    const qsizetype index = group ? indexOfItem(*group, itemID) : -1;
    const QString name = index < 0 ? QString() : group->items.at(index).name;
    const quint64 serial = m_store.undoHistory().removeItem(itemID, groupID);
    if (serial != 0)
        m_icons.remove(itemID);
    tellEdit(serial, qtTrId("notice.removed").arg(name));
}

void PanelNotices::transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy) {
    const NookGroup* from = m_store.group(fromGroupID);
    const NookGroup* to = m_store.group(toGroupID);
    const qsizetype index = from ? indexOfItem(*from, itemID) : -1;
    if (!to || index < 0)
        return;
    const QString text =
        qtTrId(copy ? "notice.copied_to" : "notice.moved_to").arg(from->items.at(index).name, to->name);
    tellEdit(m_store.undoHistory().transferItem(itemID, fromGroupID, toGroupID, copy), text);
}

void PanelNotices::removeItems(const QList<UndoHistory::ItemRef>& items) {
    if (items.size() == 1)
        return removeItem(items.first().itemID, items.first().groupID);
    const quint64 serial = m_store.undoHistory().removeItems(items);
    if (serial == 0)
        return;
    for (const UndoHistory::ItemRef& item : items)
        m_icons.remove(item.itemID);
    tellEdit(serial, qtTrId("notice.removed_several").arg(m_store.undoHistory().last()->count));
}

void PanelNotices::transferItems(const QList<UndoHistory::ItemRef>& items, QUuid toGroupID, bool copy) {
    if (items.size() == 1)
        return transferItem(items.first().itemID, items.first().groupID, toGroupID, copy);
    const NookGroup* to = m_store.group(toGroupID);
    const QString name = to ? to->name : QString();
    const quint64 serial = m_store.undoHistory().transferItems(items, toGroupID, copy);
    if (serial == 0)
        return;
    // As many as went: the nook may hold some of their files already.
    const UndoHistory::Step step = *m_store.undoHistory().last();
    if (step.count == 1)
        tellEdit(serial, qtTrId(copy ? "notice.copied_to" : "notice.moved_to").arg(step.name, name));
    else
        tellEdit(serial,
                 qtTrId(copy ? "notice.copied_several" : "notice.moved_several").arg(step.count).arg(name));
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
    const char* id = key == ItemOrder::Key::Name   ? "notice.sorted_name"
                     : key == ItemOrder::Key::Kind ? "notice.sorted_kind"
                                                   : "notice.sorted_date";
    const QString text = qtTrId(id).arg(group->name);
    tellEdit(m_store.undoHistory().arrangeItems(groupID, itemIDs), text);
}

void PanelNotices::tellMissing(const NookItem& item, QUuid groupID) {
    post(qtTrId("notice.missing").arg(item.name), RemoveMissing{item.id, groupID}, Kind::Problem);
}

void PanelNotices::tellNoApplication(const NookItem& item) {
    post(qtTrId("notice.no_application").arg(item.name), {}, Kind::Problem);
}

void PanelNotices::tellNoFileManager(const NookItem& item) {
    post(qtTrId("notice.no_file_manager").arg(item.name), {}, Kind::Problem);
}

void PanelNotices::tellNameTaken(const QString& name) {
    post(qtTrId("notice.name_taken").arg(name), {}, Kind::Problem);
}

void PanelNotices::tellUnreadableFile() {
    if (!m_store.loadFailed() || m_toldUnreadable)
        return;
    m_toldUnreadable = true;
    const QString kept = m_store.keptUnreadableFile();
    post(kept.isEmpty() ? qtTrId("notice.load_failed").arg(m_store.saveURL().toLocalFile())
                        : qtTrId("notice.load_failed_kept").arg(kept));
}

void PanelNotices::tellRefused(const QList<QUrl>& urls) {
    QStringList shown;
    for (const QUrl& url : urls)
        shown << url.toDisplayString();
    post(qtTrId("notice.refused").arg(shown.join(QLatin1String(", "))), {}, Kind::Problem);
}

void PanelNotices::tellConflict(const QString& path) {
    post(qtTrId("notice.conflict_kept").arg(path));
}
