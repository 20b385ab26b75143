#pragma once

#include "model/HandOver.h"
#include "model/HandOverBatch.h"
#include "model/NookGroup.h"
#include "model/SaveWriter.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <memory>
#include <optional>
#include <set>

class DataFileWatcher;
class HandOverQueue;
class SaveWriter;
class UndoHistory;

// The one owner of the user's nooks at run time, and of the current nook (the one files
// handed over go to and the panel opens on). Loads "nooks.json" when it is made, keeps
// at least one group after start-up, and writes the whole file after every change. Lives on
// the main thread; the writing happens on a thread of its own, always of the latest state,
// and the store's end waits for the last write. A failed write leaves the old file whole
// and the change in memory, for the next save.
//
// Others may change the file too (a sync tool, a dotfiles pull): it is watched, and a version
// written elsewhere is loaded, never overwritten unseen. Changes of ours not yet on disk then
// are merged into it (NookMerge); what cannot be merged keeps the other version beside the
// file as "nooks.json.conflict-<date>" (conflictKept).
//
// Ids are taken by value throughout: a caller may pass an id that lies in the very list a
// change replaces.
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
    // What the store is made from: the data file as found, read and decoded on any thread,
    // so that a start can read it while its tray icon docks.
    struct Reading {
        DataFile::Contents contents;            // without its bytes, once decoded
        SaveWriter::Version version;            // to tell later versions from it
        std::optional<QList<NookGroup>> groups; // when the file was there and understood
        QString error;                          // why it was not
        int renewed = 0;                        // duplicate ids given new ones
    };
    static Reading read(const QString& folder);
    NookStore(const QString& folder, const Reading& reading, QObject* parent = nullptr);
    ~NookStore() override;

    static QString defaultFolder();

    const QList<NookGroup>& groups() const { return m_groups; }
    QStringList groupNames() const;
    void setGroups(const QList<NookGroup>& groups);
    // The group with this id, or null; valid until the next change.
    const NookGroup* group(QUuid id) const { return ::findGroup(m_groups, id); }

    std::optional<QUuid> selectedGroupID() const { return m_selectedGroupID; }
    const NookGroup* selectedGroup() const;
    // Makes this group the current one; unknown ids are ignored.
    void selectGroup(QUuid groupID);
    QUrl saveURL() const { return m_saveURL; }

    enum class Selection { Select, Keep };
    // The new group's id.
    QUuid addGroup(const QString& name, Selection selection = Selection::Select);
    void renameGroup(QUuid groupID, const QString& name);
    void deleteGroup(QUuid groupID);
    // The dragged group takes the target's index; the groups between shift towards its old place.
    void moveGroup(QUuid draggedID, QUuid targetID);
    void addItem(const NookItem& item, QUuid groupID);
    void removeItem(QUuid itemID, QUuid groupID);
    void moveItems(QUuid groupID, const std::set<int>& offsets, int destination);
    void renameItem(QUuid groupID, QUuid itemID, const QString& name);
    // The group's items in the order of `itemIDs`; items not named there follow in their order.
    void arrangeItems(QUuid groupID, const QList<QUuid>& itemIDs);
    // Puts back a removed group or item at its old index (clamped), ids and bookmarks unchanged.
    void insertGroup(const NookGroup& group, int index);
    void insertItem(const NookItem& item, QUuid groupID, int index);
    // Moves an item to the end of another group, or puts a copy with an id of its own there.
    // Nothing happens for unknown ids, the same group, or a group that holds the same
    // target already. The id of the item that arrived, if any.
    std::optional<QUuid> transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy);

    // Files become items only through this queue (see HandOverQueue).
    HandOverQueue& handOvers() { return *m_handOvers; }
    // The user's removals and moves go through it, so that each can be undone.
    UndoHistory& undoHistory() { return *m_undoHistory; }
    // The group a hand-over to `target` would reach now, if any.
    std::optional<QUuid> findTarget(const HandOverTarget& target) const;

    // Where among `names` a nook asked for by `name` is: the same name first, else the first
    // that differs only in case; -1 when none.
    static qsizetype indexOfName(const QStringList& names, const QString& name);
    // A group other than `except` whose name differs from `name` at most in case, or null.
    const NookGroup* groupNamedLike(const QString& name, QUuid except = {}) const;

    // The name an item for this file gets: a desktop entry's localized Name, else the
    // last path component without its extension (archive.tar.gz -> archive.tar).
    static QString itemName(const QUrl& url);

    // Hands the whole list to the writer; the number of this save (its generation).
    quint64 save();
    // Blocks until every save started so far has reached the disk or failed, and tells of it.
    void waitForSaves();
    // Every save up to this one is on disk (as far as the main thread has heard).
    quint64 savedGeneration() const { return m_savedGeneration; }

    // Where an unreadable data file was kept before it was replaced; empty if none.
    QString keptUnreadableFile() const { return m_keptUnreadableFile; }
    // The data file could not be read (at start-up, or as it was changed elsewhere).
    bool loadFailed() const { return m_loadFailed; }
    // Looks now whether the file was changed elsewhere; the watch does so by itself.
    void checkDataFile() { m_writer->check(); }

signals:
    void groupsChanged();
    void selectedGroupIDChanged();
    // The saves up to `generation` have reached the disk.
    void saved(quint64 generation);
    // The save `generation` (and those before it not yet on disk) failed; the change stays
    // in memory and is written by the next save.
    void saveFailed(const QString& reason, quint64 generation);
    // A version of the data file written elsewhere could not be merged with ours and is kept
    // at `path`; the file holds ours.
    void conflictKept(const QString& path);

private:
    friend class HandOverQueue;
    // The main-thread half of a hand-over, in the order made. `before`: the items of the
    // group `preparedFor` that the batch was compared with. `makeNook`: the nook is made even
    // when no item joins it.
    HandOverResult applyHandOver(HandOverBatch batch, const HandOverTarget& target,
                                 std::optional<QUuid> preparedFor, const QList<NookItem>& before,
                                 bool makeNook = false);

    NookGroup* findGroup(QUuid id);
    // One change of one group: found, changed, told and saved; false when there is no such group.
    template <typename Change> bool changeGroup(QUuid id, Change&& change);
    void changed();
    void take(const Reading& reading);
    // The writer for the data file, and the watch on it for versions written elsewhere.
    void followDataFile(const SaveWriter::Version& loaded);
    void setSelectedGroupID(const std::optional<QUuid>& id);
    // Replaces the list, told, with the current group kept where it still exists.
    void replaceGroups(const QList<NookGroup>& groups);
    bool keepUnreadableFile(QString* error);
    void takeReport(const SaveWriter::Report& report);
    void takeOutsideVersion(const SaveWriter::Report& report);
    void finishSave(const QString& failure, quint64 generation);

    static constexpr int kRetryMs = 60 * 1000;
    // An unreadable version may be one still being written in place: ours waits that long.
    static constexpr int kUnreadableWaitMs = 1000;

    QList<NookGroup> m_groups;
    QList<NookGroup> m_base; // what the file held when we last wrote or read it
    bool m_deferredSave = false;
    std::optional<QUuid> m_selectedGroupID;
    QUrl m_saveURL;
    bool m_unreadableFileOnDisk = false;
    bool m_loadFailed = false;
    bool m_unreadableIsRegular = true;
    std::atomic<bool> m_lastSaveFailed = false;
    QString m_keptUnreadableFile;
    quint64 m_generation = 0;
    quint64 m_savedGeneration = 0;
    std::unique_ptr<HandOverQueue> m_handOvers; // completed when the store goes
    std::unique_ptr<UndoHistory> m_undoHistory;
    std::unique_ptr<DataFileWatcher> m_watcher;
    std::unique_ptr<SaveWriter> m_writer; // last: its thread ends before the rest goes
};
