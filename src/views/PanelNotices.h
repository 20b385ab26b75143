#pragma once

#include "model/ItemOrder.h"
#include "model/NookGroup.h"
#include "model/UndoHistory.h"

#include <QObject>
#include <QUuid>

#include <variant>

class IconCache;
class NoticeBar;
class NookStore;

// The edits of the panel that its notice bar tells of (removals, moves between nooks and
// sorting, each kept in the store's undo history) and what went wrong with an item or with
// the data file.
//
// A notice of an edit offers to undo that edit, and only it, while it is the newest in the
// history. A notice of a problem with an item (it cannot be found, nothing opens or shows it)
// goes after a while, and when the panel closes or shows another nook: its button acts on the
// item it names, in the nook it named it in. Every notice goes when the panel closes.
class PanelNotices : public QObject {
    Q_OBJECT
public:
    // How long a notice tells of an edit, and of a problem with an item.
    static constexpr int kUndoMs = 6000;
    static constexpr int kProblemMs = 10000;

    PanelNotices(NookStore& store, IconCache& icons, NoticeBar& bar, QObject* parent = nullptr);

    void removeGroup(QUuid groupID);
    void removeItem(QUuid itemID, QUuid groupID);
    void transferItem(QUuid itemID, QUuid fromGroupID, QUuid toGroupID, bool copy);
    // Several items, each with its nook, as one edit ("Removed 3 items"); one as the above.
    void removeItems(const QList<UndoHistory::ItemRef>& items);
    void transferItems(const QList<UndoHistory::ItemRef>& items, QUuid toGroupID, bool copy);
    // Sorts the group's items once, when their files have been looked at (in the background).
    void sortItems(QUuid groupID, ItemOrder::Key key);
    // Takes back the newest edit of the history; false when there is none.
    bool undo();

    // The item's target is gone (offering to remove it), nothing opens it, or nothing shows its folder.
    void tellMissing(const NookItem& item, QUuid groupID);
    void tellNoApplication(const NookItem& item);
    void tellNoFileManager(const NookItem& item);
    // A nook's new name was refused: another one is called so, but for case.
    void tellNameTaken(const QString& name);
    // Once per run: the data file could not be read.
    void tellUnreadableFile();
    // Addresses that are neither files nor web pages.
    void tellRefused(const QList<QUrl>& urls);
    // The data file was changed elsewhere at the same time as here: the other version is kept at `path`.
    void tellConflict(const QString& path);
    // The panel closed: nothing it told of stands any more.
    void panelHidden();

private:
    // What the notice's button does.
    struct Undo {
        quint64 serial;
    };
    struct RemoveMissing {
        QUuid itemID, groupID;
    };
    using Action = std::variant<std::monostate, Undo, RemoveMissing>;
    // An edit's notice; a problem with an item; one that stands until closed (the data file).
    enum class Kind { Edit, Problem, Lasting };

    void post(const QString& text, Action action = {}, Kind kind = Kind::Lasting);
    void tellEdit(quint64 serial, const QString& text);
    void act();
    void dismissIf(bool stale);
    void arrange(QUuid groupID, const QList<QUuid>& itemIDs, ItemOrder::Key key);

    NookStore& m_store;
    IconCache& m_icons;
    NoticeBar& m_bar;
    Action m_action;
    Kind m_kind = Kind::Edit;
    bool m_toldUnreadable = false;
};
