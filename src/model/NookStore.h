#pragma once

#include "model/HandOverBatch.h"
#include "model/HandOverResult.h"
#include "model/NookGroup.h"

#include <QObject>
#include <QThreadPool>
#include <QUrl>

#include <atomic>
#include <list>
#include <memory>
#include <optional>
#include <set>

class SaveWriter;

// The one owner of the user's nooks at run time. Loads "nooks.json" once when it is
// made, keeps at least one group after start-up, and writes the whole file after
// every change. Lives on the main thread; the writing happens on a thread of its own,
// always of the latest state, and the store's end waits for the last write. A failed
// write leaves the old file whole and the change in memory, for the next save.
//
// groupsChanged follows every operation that changes the list (also when the result
// equals the old list); assigning an equal whole value with setGroups() does not
// notify. selectedGroupIDChanged follows a change of the store's current group.
class NookStore : public QObject {
    Q_OBJECT
public:
    // Uses "Tuckaway/nooks.json" in the user's data folder ($XDG_DATA_HOME).
    explicit NookStore(QObject* parent = nullptr);
    // Uses "nooks.json" in the given folder.
    explicit NookStore(const QString& folder, QObject* parent = nullptr);
    ~NookStore() override;

    static QString defaultFolder();

    const QList<NookGroup>& groups() const { return m_groups; }
    void setGroups(const QList<NookGroup>& groups);

    std::optional<QUuid> selectedGroupID() const { return m_selectedGroupID; }
    std::optional<NookGroup> selectedGroup() const;
    QUrl saveURL() const { return m_saveURL; }

    void save();
    // Blocks until every save started so far has reached the disk or failed.
    void waitForSaves();
    void addGroup(const QString& name);
    void renameGroup(const QUuid& groupID, const QString& name);
    // By value: the id may be read from the list it removes.
    void deleteGroup(QUuid groupID);
    // The dragged group takes the target's index; the groups between shift towards its old place.
    void moveGroup(const QUuid& draggedID, const QUuid& targetID);
    void addItem(const NookItem& item, const QUuid& groupID);
    void removeItem(const QUuid& itemID, const QUuid& groupID);
    void moveItems(const QUuid& groupID, const std::set<int>& offsets, int destination);
    // One hand-over: every new file in order, none the group holds already (by its path or,
    // for a moved target, its identity), none twice; one notification and one save for all.
    HandOverResult addURLs(const QList<QUrl>& urls, const QUuid& groupID);
    HandOverResult addURLsToSelectedGroup(const QList<QUrl>& urls);
    // The same hand-over with its file-system work in the background: the items join the
    // group and are saved in one step on the main thread, hand-overs in the order made.
    // handOverProgress follows now and then, handOverFinished at the end.
    void handOver(const QList<QUrl>& urls, const QUuid& groupID);
    void handOverToSelectedGroup(const QList<QUrl>& urls);
    // Waits for the hand-overs under way and adds their items (at quit).
    void completeHandOvers();
    bool handOverRunning() const { return !m_handOvers.empty(); }

    // Makes this group the current one (the one hand-overs go to); unknown ids are ignored.
    void selectGroup(const QUuid& groupID);
    // With no group left, adds one with the default name and makes it current.
    void addDefaultGroupIfNone();
    // Puts back a removed group or item at its old index (clamped), ids and bookmarks unchanged.
    void insertGroup(const NookGroup& group, int index);
    void insertItem(const NookItem& item, const QUuid& groupID, int index);
    void renameItem(const QUuid& groupID, const QUuid& itemID, const QString& name);
    // Moves an item to the end of another group, or puts a copy with an id of its own there.
    // Nothing happens for unknown ids, the same group, or a group that holds the same
    // target already. The id of the item that arrived, if any.
    std::optional<QUuid> transferItem(const QUuid& itemID, const QUuid& fromGroupID, const QUuid& toGroupID,
                                      bool copy);

    // The name an item for this file gets: a desktop entry's localized Name, else the
    // last path component without its extension (archive.tar.gz -> archive.tar).
    static QString itemName(const QUrl& url);

    // Where an unreadable data file was kept before it was replaced; empty if none.
    QString keptUnreadableFile() const { return m_keptUnreadableFile; }
    // The data file could not be read at start-up.
    bool loadFailed() const { return m_loadFailed; }

    // Saves started so far (a diagnostic, and for tests).
    int savesStarted() const { return m_savesStarted; }

signals:
    void groupsChanged();
    void handOverProgress(int handled, int total);
    void handOverFinished(const HandOverResult& result);
    void selectedGroupIDChanged();
    // Follows every save that did not reach the disk; the change stays in memory.
    void saveFailed(const QString& reason);

private:
    struct PendingHandOver {
        QUuid groupID;
        QList<NookItem> before; // the group's items when it was made
        std::optional<HandOverBatch> batch;
    };
    void load();
    HandOverResult apply(HandOverBatch batch, const QUuid& groupID, const QList<NookItem>& before);
    void applyReadyHandOvers();
    void setSelectedGroupID(const std::optional<QUuid>& id);
    NookGroup* findGroup(const QUuid& id);
    bool keepUnreadableFile(QString* error);
    void finishSave(const QString& failure);

    static constexpr int kRetryMs = 60 * 1000;

    QList<NookGroup> m_groups;
    std::optional<QUuid> m_selectedGroupID;
    QUrl m_saveURL;
    bool m_unreadableFileOnDisk = false;
    bool m_loadFailed = false;
    bool m_unreadableIsRegular = true;
    std::atomic<bool> m_lastSaveFailed = false;
    QString m_keptUnreadableFile;
    int m_savesStarted = 0;
    std::list<PendingHandOver> m_handOvers; // in the order made
    // One thread: preparations run in the order made. Goes early, waiting for its work.
    QThreadPool m_handOverPool;
    std::unique_ptr<SaveWriter> m_writer; // last: its thread ends before the rest goes
};
