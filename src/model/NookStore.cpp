#include "model/NookStore.h"

#include "model/Bookmarks.h"
#include "model/DataFile.h"
#include "model/FileUrls.h"
#include "model/NookCodec.h"
#include "model/SaveWriter.h"
#include "platform/LogCategories.h"
#include "platform/LogLine.h"
#include "platform/xdg/DesktopEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace {

const QString kLoadFailed = QStringLiteral(u"Tuckaway: Laden fehlgeschlagen \u2013 ");
const QString kSaveFailed = QStringLiteral(u"Tuckaway: Speichern fehlgeschlagen \u2013 ");

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
    : QObject(parent) {
    m_handOverPool.setMaxThreadCount(1);
    DataFile::makePrivateFolder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    m_saveURL = QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("nooks.json")));
    DataFile::removeStaleTemporaries(m_saveURL.toLocalFile());
    load();
    if (m_groups.isEmpty())
        m_groups.append(NookGroup{QUuid::createUuid(), qtTrId("group.default_name"), {}});
    m_selectedGroupID = m_groups.first().id;
    m_writer = std::make_unique<SaveWriter>(m_saveURL.toLocalFile(), [this](const QString& failure) {
        // On the writer's thread: the line goes out at once, the signal on the main thread.
        m_lastSaveFailed = !failure.isEmpty();
        if (!failure.isEmpty())
            writeLogLine(kSaveFailed + failure);
        QMetaObject::invokeMethod(
            this, [this, failure] { finishSave(failure); }, Qt::QueuedConnection);
    });
}

NookStore::~NookStore() {
    // A quit waits for the last write; one that failed gets one more try.
    m_writer->waitUntilWritten();
    if (m_lastSaveFailed.exchange(false)) {
        m_writer->submit(m_groups);
        m_writer->waitUntilWritten();
    }
}

void NookStore::waitForSaves() {
    m_writer->waitUntilWritten();
}

void NookStore::finishSave(const QString& failure) {
    if (failure.isEmpty())
        return;
    emit saveFailed(failure);
    // Space may come back without any change to save: try again a little later.
    QTimer::singleShot(kRetryMs, this, [this] {
        if (m_lastSaveFailed)
            save();
    });
}

void NookStore::load() {
    const DataFile::Contents contents = DataFile::read(m_saveURL.toLocalFile());
    if (contents.state == DataFile::Contents::State::Missing)
        return;
    m_unreadableIsRegular = contents.regular;
    QString error = contents.reason;
    if (contents.state == DataFile::Contents::State::Read) {
        int renewed = 0;
        if (auto groups = NookCodec::decode(contents.bytes, &error, &renewed)) {
            m_groups = *groups;
            qCDebug(lcStore) << "loaded" << m_groups.size() << "nooks from" << m_saveURL.toLocalFile();
            if (renewed > 0)
                writeLogLine(QStringLiteral("Tuckaway: %1 duplicate ids in %2 were given new ones")
                                 .arg(renewed)
                                 .arg(m_saveURL.toLocalFile()));
            return;
        }
    }
    writeLogLine(kLoadFailed + error);
    m_unreadableFileOnDisk = true;
    m_loadFailed = true;
}

std::optional<NookGroup> NookStore::selectedGroup() const {
    if (!m_selectedGroupID)
        return m_groups.isEmpty() ? std::nullopt : std::optional(m_groups.first());
    for (const NookGroup& group : m_groups) {
        if (group.id == *m_selectedGroupID)
            return group;
    }
    return std::nullopt;
}

NookGroup* NookStore::findGroup(const QUuid& id) {
    for (NookGroup& group : m_groups) {
        if (group.id == id)
            return &group;
    }
    return nullptr;
}

void NookStore::setSelectedGroupID(const std::optional<QUuid>& id) {
    if (m_selectedGroupID == id)
        return;
    m_selectedGroupID = id;
    emit selectedGroupIDChanged();
}

void NookStore::setGroups(const QList<NookGroup>& groups) {
    if (m_groups == groups)
        return;
    m_groups = groups;
    emit groupsChanged();
    // The current group never names a group that is gone.
    if (m_selectedGroupID && !findGroup(*m_selectedGroupID))
        setSelectedGroupID(m_groups.isEmpty() ? std::nullopt : std::optional(m_groups.first().id));
    save();
}

// An unreadable file may hold the user's only copy of their nooks: keep it before the
// first save replaces it, under a name that no earlier copy has.
bool NookStore::keepUnreadableFile(QString* error) {
    const QString original = m_saveURL.toLocalFile();
    if (!QFileInfo::exists(original)) {
        m_unreadableFileOnDisk = false;
        return true;
    }
    const QString copy = DataFile::keepAside(original, m_unreadableIsRegular, error);
    if (copy.isEmpty())
        return false;
    m_unreadableFileOnDisk = false;
    m_keptUnreadableFile = copy;
    qCInfo(lcStore) << "the unreadable" << original << "is kept as" << copy;
    return true;
}

void NookStore::save() {
    ++m_savesStarted;
    QString error;
    if (m_unreadableFileOnDisk && !keepUnreadableFile(&error)) {
        m_lastSaveFailed = true;
        writeLogLine(kSaveFailed + error);
        finishSave(error);
        return;
    }
    m_writer->submit(m_groups);
}

void NookStore::addGroup(const QString& name) {
    const NookGroup group{QUuid::createUuid(), name, {}};
    m_groups.append(group);
    emit groupsChanged();
    setSelectedGroupID(group.id);
    save();
}

void NookStore::renameGroup(const QUuid& groupID, const QString& name) {
    NookGroup* group = findGroup(groupID);
    if (!group)
        return;
    group->name = name;
    emit groupsChanged();
    save();
}

void NookStore::deleteGroup(QUuid groupID) {
    m_groups.removeIf([&](const NookGroup& group) { return group.id == groupID; });
    emit groupsChanged();
    if (m_selectedGroupID == groupID)
        setSelectedGroupID(m_groups.isEmpty() ? std::nullopt : std::optional(m_groups.first().id));
    save();
}

void NookStore::moveGroup(const QUuid& draggedID, const QUuid& targetID) {
    const auto indexOf = [&](const QUuid& id) -> qsizetype {
        for (qsizetype i = 0; i < m_groups.size(); ++i) {
            if (m_groups.at(i).id == id)
                return i;
        }
        return -1;
    };
    const qsizetype from = indexOf(draggedID);
    const qsizetype to = indexOf(targetID);
    if (from < 0 || to < 0)
        return;
    m_groups.move(from, to);
    emit groupsChanged();
    save();
}

void NookStore::addItem(const NookItem& item, const QUuid& groupID) {
    NookGroup* group = findGroup(groupID);
    if (!group)
        return;
    group->items.append(item);
    emit groupsChanged();
    save();
}

void NookStore::removeItem(const QUuid& itemID, const QUuid& groupID) {
    NookGroup* group = findGroup(groupID);
    if (!group)
        return;
    group->items.removeIf([&](const NookItem& item) { return item.id == itemID; });
    emit groupsChanged();
    save();
}

void NookStore::moveItems(const QUuid& groupID, const std::set<int>& offsets, int destination) {
    NookGroup* group = findGroup(groupID);
    if (!group)
        return;
    const QList<NookItem>& items = group->items;
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
    group->items = before + moved + after;
    emit groupsChanged();
    save();
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

HandOverResult NookStore::addURLs(const QList<QUrl>& urls, const QUuid& groupID) {
    const NookGroup* group = findGroup(groupID);
    if (!group)
        return HandOverResult{{}, {}, urls};
    return apply(HandOverBatch::prepare(group->items, urls), groupID, group->items);
}

HandOverResult NookStore::addURLsToSelectedGroup(const QList<QUrl>& urls) {
    if (const auto group = selectedGroup())
        return addURLs(urls, group->id);
    return HandOverResult{{}, {}, urls};
}

void NookStore::selectGroup(const QUuid& groupID) {
    if (findGroup(groupID))
        setSelectedGroupID(groupID);
}

void NookStore::addDefaultGroupIfNone() {
    if (m_groups.isEmpty())
        addGroup(qtTrId("group.default_name"));
}

void NookStore::insertGroup(const NookGroup& group, int index) {
    m_groups.insert(std::clamp(index, 0, int(m_groups.size())), group);
    emit groupsChanged();
    if (!selectedGroup())
        setSelectedGroupID(group.id);
    save();
}

void NookStore::insertItem(const NookItem& item, const QUuid& groupID, int index) {
    NookGroup* group = findGroup(groupID);
    if (!group)
        return;
    group->items.insert(std::clamp(index, 0, int(group->items.size())), item);
    emit groupsChanged();
    save();
}

void NookStore::renameItem(const QUuid& groupID, const QUuid& itemID, const QString& name) {
    NookGroup* group = findGroup(groupID);
    if (!group)
        return;
    for (NookItem& item : group->items) {
        if (item.id == itemID) {
            item.name = name;
            emit groupsChanged();
            save();
            return;
        }
    }
}

HandOverResult NookStore::apply(HandOverBatch batch, const QUuid& groupID, const QList<NookItem>& before) {
    NookGroup* group = findGroup(groupID);
    if (!group) {
        batch.result.rejected += batch.result.added;
        batch.result.added.clear();
        return batch.result;
    }
    if (group->items.size() != before.size() || group->items != before) {
        QSet<QUuid> known;
        for (const NookItem& item : before)
            known.insert(item.id);
        QList<NookItem> later;
        for (const NookItem& item : group->items) {
            if (!known.contains(item.id))
                later << item;
        }
        batch.dropHeldBy(later);
    }
    if (!batch.items.isEmpty()) {
        group->items += batch.items;
        emit groupsChanged();
        save();
    }
    return batch.result;
}

void NookStore::handOver(const QList<QUrl>& urls, const QUuid& groupID) {
    const NookGroup* group = findGroup(groupID);
    m_handOvers.push_back(PendingHandOver{groupID, group ? group->items : QList<NookItem>{}, std::nullopt});
    PendingHandOver* pending = &m_handOvers.back();
    if (!group) {
        pending->batch = HandOverBatch{{}, {}, HandOverResult{{}, {}, urls}};
        QMetaObject::invokeMethod(this, &NookStore::applyReadyHandOvers, Qt::QueuedConnection);
        return;
    }
    const int total = int(urls.size());
    m_handOverPool.start([this, pending, urls, total, before = pending->before] {
        HandOverBatch batch = HandOverBatch::prepare(before, urls, [this, total](int handled) {
            QMetaObject::invokeMethod(this,
                                      [this, handled, total] { emit handOverProgress(handled, total); });
        });
        QMetaObject::invokeMethod(this, [this, pending, batch = std::move(batch)]() mutable {
            pending->batch = std::move(batch);
            applyReadyHandOvers();
        });
    });
}

void NookStore::handOverToSelectedGroup(const QList<QUrl>& urls) {
    const auto group = selectedGroup();
    handOver(urls, group ? group->id : QUuid());
}

void NookStore::applyReadyHandOvers() {
    while (!m_handOvers.empty() && m_handOvers.front().batch) {
        PendingHandOver pending = std::move(m_handOvers.front());
        m_handOvers.pop_front();
        const HandOverResult result = apply(std::move(*pending.batch), pending.groupID, pending.before);
        emit handOverFinished(result);
    }
}

void NookStore::completeHandOvers() {
    m_handOverPool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    applyReadyHandOvers();
}

std::optional<QUuid> NookStore::transferItem(const QUuid& itemID, const QUuid& fromGroupID,
                                             const QUuid& toGroupID, bool copy) {
    NookGroup* from = findGroup(fromGroupID);
    NookGroup* to = findGroup(toGroupID);
    if (!from || !to || from == to)
        return std::nullopt;
    const auto found = std::find_if(from->items.cbegin(), from->items.cend(),
                                    [&](const NookItem& item) { return item.id == itemID; });
    if (found == from->items.cend())
        return std::nullopt;
    NookItem item = *found;
    const bool held = std::any_of(to->items.cbegin(), to->items.cend(), [&](const NookItem& other) {
        return other.bookmarkData == item.bookmarkData;
    });
    if (held)
        return std::nullopt;
    if (copy)
        item.id = QUuid::createUuid();
    else
        from->items.erase(found);
    to->items.append(item);
    emit groupsChanged();
    save();
    return item.id;
}
