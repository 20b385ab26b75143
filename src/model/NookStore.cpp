#include "model/NookStore.h"

#include "model/Bookmarks.h"
#include "model/DataFile.h"
#include "model/DataFileWatcher.h"
#include "model/FileUrls.h"
#include "model/HandOverQueue.h"
#include "model/ItemOrder.h"
#include "model/LinkCleanup.h"
#include "model/UndoHistory.h"
#include "platform/LogCategories.h"
#include "platform/LogLine.h"
#include "platform/xdg/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString standardized(const QUrl& url) {
    if (const auto path = FileUrls::localPath(url))
        return *path;
    return QDir::cleanPath(QFileInfo(url.toLocalFile()).absoluteFilePath());
}

} // namespace

QString NookStore::defaultFolder() {
    QStringList locations = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const QString base =
        locations.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : locations.first();
    return base + QStringLiteral("/Tuckaway");
}

NookStore::NookStore(QObject* parent)
    : NookStore(defaultFolder(), parent) {}

NookStore::NookStore(const QString& folder, QObject* parent)
    : NookStore(folder, read(folder), parent) {}

NookStore::NookStore(const QString& folder, const Reading& reading, QObject* parent)
    : QObject(parent)
    , m_handOvers(std::make_unique<HandOverQueue>(*this))
    , m_undoHistory(std::make_unique<UndoHistory>(*this)) {
    m_saveURL = QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("nooks.json")));
    take(reading);
    if (m_groups.isEmpty())
        m_groups.append(NookGroup{QUuid::createUuid(), qtTrId("group.default_name"), {}});
    m_selectedGroupID = m_groups.first().id;
    m_base = m_groups;
    followDataFile(reading.version);
    LinkCleanup::follow(*this);
}

NookStore::~NookStore() {
    // The senders were told their files were taken: a quit must not drop them.
    m_handOvers->complete();
    // A quit waits for the last write; one that failed gets one more try.
    waitForSaves();
    if (m_lastSaveFailed.exchange(false)) {
        m_writer->submit(m_groups, m_generation);
        m_writer->waitUntilWritten();
    }
}

const NookGroup* NookStore::selectedGroup() const {
    if (!m_selectedGroupID)
        return m_groups.isEmpty() ? nullptr : &m_groups.first();
    return group(*m_selectedGroupID);
}

NookGroup* NookStore::findGroup(QUuid id) {
    m_groups.detach(); // the writer may share the list: a change must never reach its copy
    return const_cast<NookGroup*>(::findGroup(m_groups, id));
}

template <typename Change> bool NookStore::changeGroup(QUuid id, Change&& change) {
    NookGroup* found = findGroup(id);
    if (!found)
        return false;
    change(*found);
    changed();
    return true;
}

void NookStore::changed() {
    emit groupsChanged();
    save();
}

void NookStore::setSelectedGroupID(const std::optional<QUuid>& id) {
    if (m_selectedGroupID == id)
        return;
    m_selectedGroupID = id;
    emit selectedGroupIDChanged();
}

void NookStore::selectGroup(QUuid groupID) {
    if (group(groupID))
        setSelectedGroupID(groupID);
}

void NookStore::setGroups(const QList<NookGroup>& groups) {
    if (m_groups == groups)
        return;
    replaceGroups(groups);
    save();
}

void NookStore::replaceGroups(const QList<NookGroup>& groups) {
    if (m_groups == groups)
        return;
    m_groups = groups;
    emit groupsChanged();
    // The current group never names a group that is gone.
    if (m_selectedGroupID && !group(*m_selectedGroupID))
        setSelectedGroupID(m_groups.isEmpty() ? std::nullopt : std::optional(m_groups.first().id));
}

QUuid NookStore::addGroup(const QString& name, Selection selection) {
    const NookGroup group{QUuid::createUuid(), name, {}};
    m_groups.append(group);
    emit groupsChanged();
    if (selection == Selection::Select || !m_selectedGroupID)
        setSelectedGroupID(group.id);
    save();
    return group.id;
}

void NookStore::renameGroup(QUuid groupID, const QString& name) {
    changeGroup(groupID, [&](NookGroup& group) { group.name = name; });
}

void NookStore::deleteGroup(QUuid groupID) {
    const NookGroup* gone = group(groupID);
    const qsizetype index = gone ? gone - m_groups.constData() : 0;
    m_groups.removeIf([&](const NookGroup& group) { return group.id == groupID; });
    emit groupsChanged();
    // The current group gives way to the one that takes its place, else to the new last one.
    if (m_selectedGroupID == groupID)
        setSelectedGroupID(m_groups.isEmpty()
                               ? std::nullopt
                               : std::optional(m_groups.at(std::min(index, m_groups.size() - 1)).id));
    save();
}

void NookStore::moveGroup(QUuid draggedID, QUuid targetID) {
    const NookGroup* dragged = group(draggedID);
    const NookGroup* target = group(targetID);
    if (!dragged || !target)
        return;
    m_groups.move(dragged - m_groups.constData(), target - m_groups.constData());
    changed();
}

void NookStore::addItem(const NookItem& item, QUuid groupID) {
    changeGroup(groupID, [&](NookGroup& group) { group.items.append(item); });
}

void NookStore::removeItem(QUuid itemID, QUuid groupID) {
    changeGroup(groupID, [&](NookGroup& group) {
        group.items.removeIf([&](const NookItem& item) { return item.id == itemID; });
    });
}

void NookStore::moveItems(QUuid groupID, const std::set<int>& offsets, int destination) {
    changeGroup(groupID, [&](NookGroup& group) {
        const QList<NookItem>& items = group.items;
        destination = std::clamp(destination, 0, int(items.size()));
        QList<NookItem> before, moved, after;
        for (int i = 0; i < items.size(); ++i) {
            if (offsets.count(i))
                moved.append(items.at(i));
            else if (i < destination)
                before.append(items.at(i));
            else
                after.append(items.at(i));
        }
        group.items = before + moved + after;
    });
}

void NookStore::renameItem(QUuid groupID, QUuid itemID, const QString& name) {
    const NookGroup* found = group(groupID);
    const qsizetype index = found ? indexOfItem(*found, itemID) : -1;
    if (index >= 0)
        changeGroup(groupID, [&](NookGroup& group) { group.items[index].name = name; });
}

void NookStore::insertGroup(const NookGroup& group, int index) {
    m_groups.insert(std::clamp(index, 0, int(m_groups.size())), group);
    emit groupsChanged();
    // A current group that names a group that is gone is replaced by the one put back.
    if (!selectedGroup())
        setSelectedGroupID(group.id);
    save();
}

void NookStore::arrangeItems(QUuid groupID, const QList<QUuid>& itemIDs) {
    changeGroup(groupID, [&](NookGroup& group) { group.items = ItemOrder::arranged(group.items, itemIDs); });
}

void NookStore::insertItem(const NookItem& item, QUuid groupID, int index) {
    changeGroup(groupID, [&](NookGroup& group) {
        group.items.insert(std::clamp(index, 0, int(group.items.size())), item);
    });
}

std::optional<QUuid> NookStore::transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy) {
    const NookGroup* from = group(fromGroupID);
    const NookGroup* to = group(toGroupID);
    const qsizetype index = from ? indexOfItem(*from, itemID) : -1;
    if (!to || from == to || index < 0)
        return std::nullopt;
    NookItem item = from->items.at(index);
    const bool held = std::any_of(to->items.cbegin(), to->items.cend(), [&](const NookItem& other) {
        return other.bookmarkData == item.bookmarkData;
    });
    if (held)
        return std::nullopt;
    if (copy)
        item.id = QUuid::createUuid();
    else
        findGroup(fromGroupID)->items.removeAt(index);
    findGroup(toGroupID)->items.append(item);
    changed();
    return item.id;
}

QString NookStore::itemName(const QUrl& url) {
    const QString path = standardized(url);
    if (DesktopEntry::isDesktopEntryPath(path)) {
        if (const auto entry = DesktopEntry::read(path); entry && !entry->name().isEmpty())
            return entry->name();
    }
    const QString fileName = path == QLatin1String("/") ? path : path.section(QLatin1Char('/'), -1);
    // A leading dot starts a hidden file's name, not an extension.
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < fileName.size() - 1)
        return fileName.left(dot);
    return fileName;
}

std::optional<QUuid> NookStore::findTarget(const HandOverTarget& target) const {
    switch (target.kind) {
    case HandOverTarget::Kind::Current:
        if (const NookGroup* current = selectedGroup())
            return current->id;
        return std::nullopt;
    case HandOverTarget::Kind::Group:
        return group(target.groupID) ? std::optional(target.groupID) : std::nullopt;
    case HandOverTarget::Kind::Named: {
        const qsizetype index = indexOfName(groupNames(), target.name);
        return index < 0 ? std::nullopt : std::optional(m_groups.at(index).id);
    }
    }
    return std::nullopt;
}

QStringList NookStore::groupNames() const {
    QStringList names;
    names.reserve(m_groups.size());
    for (const NookGroup& group : m_groups)
        names << group.name;
    return names;
}

qsizetype NookStore::indexOfName(const QStringList& names, const QString& name) {
    const qsizetype same = names.indexOf(name);
    if (same >= 0)
        return same;
    const auto alike = std::find_if(names.cbegin(), names.cend(), [&](const QString& each) {
        return each.compare(name, Qt::CaseInsensitive) == 0;
    });
    return alike == names.cend() ? -1 : alike - names.cbegin();
}

const NookGroup* NookStore::groupNamedLike(const QString& name, QUuid except) const {
    const auto found = std::find_if(m_groups.cbegin(), m_groups.cend(), [&](const NookGroup& group) {
        return group.id != except && group.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == m_groups.cend() ? nullptr : &*found;
}

HandOverResult NookStore::applyHandOver(HandOverBatch batch, const HandOverTarget& target,
                                        std::optional<QUuid> preparedFor, const QList<NookItem>& before,
                                        bool makeNook) {
    std::optional<QUuid> id = findTarget(target);
    if (!id && target.kind == HandOverTarget::Kind::Group) {
        batch.result.rejected += batch.result.added; // the nook went while the files were looked at
        batch.result.added.clear();
        return batch.result;
    }
    if (id) {
        // What the nook gained since the files were compared with it counts as held too.
        const QList<NookItem>& now = group(*id)->items;
        if (id != preparedFor) {
            batch.dropHeldBy(now);
        } else if (now != before) {
            QSet<QUuid> known;
            for (const NookItem& item : before)
                known.insert(item.id);
            QList<NookItem> later;
            for (const NookItem& item : now) {
                if (!known.contains(item.id))
                    later << item;
            }
            batch.dropHeldBy(later);
        }
    }
    batch.result.groupID = id;
    if (!id && (makeNook || !batch.items.isEmpty())) {
        // Nothing to add to yet: a named nook is made as asked, else one with the default name.
        const bool named = target.kind == HandOverTarget::Kind::Named;
        id = addGroup(named ? target.name : qtTrId("group.default_name"), Selection::Keep);
        batch.result.groupID = id;
        batch.result.generation = m_generation;
    }
    if (batch.items.isEmpty())
        return batch.result;
    findGroup(*id)->items += batch.items;
    emit groupsChanged();
    batch.result.generation = save();
    return batch.result;
}
