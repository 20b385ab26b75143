#pragma once

#include "views/NoticeBar.h"

#include <QObject>
#include <QUuid>

#include <functional>

class IconCache;
class NookStore;
struct NookItem;

// The edits of the panel that its notice bar tells of: removals and moves between
// nooks, each undoable while its notice stands, and what went wrong with opening an
// item or with the data file.
class PanelNotices : public QObject {
    Q_OBJECT
public:
    // How long a notice offers to undo what it tells of.
    static constexpr int kUndoMs = 6000;

    // `select` shows a nook again after an undo put something back into it.
    PanelNotices(NookStore& store, IconCache& icons, NoticeBar& bar, std::function<void(const QUuid&)> select,
                 QObject* parent = nullptr);

    void removeGroup(const QUuid& groupID);
    void removeItem(const QUuid& itemID, const QUuid& groupID);
    void transferItem(const QUuid& itemID, const QUuid& fromGroupID, const QUuid& toGroupID, bool copy);
    // Puts back what the notice says was removed or moved; false when there is nothing to undo.
    bool undo();

    // The item's target is gone (offering to remove it), or nothing opens it.
    void tellMissing(const NookItem& item, const QUuid& groupID);
    void tellNoApplication(const NookItem& item);
    // Once per run: the data file could not be read.
    void tellUnreadableFile();

private:
    void post(NoticeBar::Notice notice, bool undoes);

    NookStore& m_store;
    IconCache& m_icons;
    NoticeBar& m_bar;
    std::function<void(const QUuid&)> m_select;
    bool m_undoes = false;
    bool m_toldUnreadable = false;
};
