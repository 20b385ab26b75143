#pragma once

#include "model/ItemOrder.h"
#include "model/NookGroup.h"

#include <QObject>
#include <QUuid>

#include <variant>

class IconCache;
class NoticeBar;
class NookStore;

// The edits of the panel that its notice bar tells of: removals, moves between nooks and
// sorting, each undoable while its notice stands, and what went wrong with opening an
// item or with the data file. An undo that puts something back makes its nook current.
class PanelNotices : public QObject {
    Q_OBJECT
public:
    // How long a notice offers to undo what it tells of.
    static constexpr int kUndoMs = 6000;

    PanelNotices(NookStore& store, IconCache& icons, NoticeBar& bar, QObject* parent = nullptr);

    void removeGroup(QUuid groupID);
    void removeItem(QUuid itemID, QUuid groupID);
    void transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy);
    // Sorts the group's items once, when their files have been looked at (in the background).
    void sortItems(QUuid groupID, ItemOrder::Key key);
    // Puts back what the notice says was removed or moved; false when there is nothing to undo.
    bool undo();

    // The item's target is gone (offering to remove it), or nothing opens it.
    void tellMissing(const NookItem& item, QUuid groupID);
    void tellNoApplication(const NookItem& item);
    // Once per run: the data file could not be read.
    void tellUnreadableFile();
    // The data file was changed elsewhere at the same time as here: the other version is kept at `path`.
    void tellConflict(const QString& path);

private:
    // What the notice's button does.
    struct PutBackGroup {
        NookGroup group;
        int index;
    };
    struct PutBackItem {
        NookItem item;
        QUuid groupID;
        int index;
    };
    struct TakeBack { // a move or copy to another nook
        NookItem item;
        QUuid fromGroupID, toGroupID, arrivedID;
        int index;
        bool copy;
    };
    struct RemoveMissing {
        QUuid itemID, groupID;
    };
    struct PutBackOrder {
        QUuid groupID;
        QList<QUuid> itemIDs;
    };
    using Action =
        std::variant<std::monostate, PutBackGroup, PutBackItem, TakeBack, RemoveMissing, PutBackOrder>;

    void post(const QString& text, Action action = {});
    void act();
    void arrange(QUuid groupID, const QList<QUuid>& itemIDs, ItemOrder::Key key);

    NookStore& m_store;
    IconCache& m_icons;
    NoticeBar& m_bar;
    Action m_action;
    bool m_undoes = false;
    bool m_toldUnreadable = false;
};
