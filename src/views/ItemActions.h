#pragma once

#include "model/NookItem.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <optional>

class NewGroupSheet;
class NookStore;
class QMenu;
class QWidget;

// What an item's context menu adds to the grid's own entries: open it with another of the
// applications for its type, show it in its folder, copy its path, move it to another nook,
// rename it (in a sheet over the panel). Each item comes with its nook, which for a search
// result need not be the one on screen. A menu for several items (the selection) offers
// what applies to all of them: copying their paths and moving them. What fails is told
// through the signals.
class ItemActions : public QObject {
    Q_OBJECT
public:
    // The sheet lies over `panel`.
    ItemActions(NookStore& store, QWidget* panel);

    // Where the targets of some items were found last (the others keep theirs); an item
    // without one cannot be shown in its folder.
    void setPaths(const QSet<QUuid>& missing, const QHash<QUuid, QString>& paths);
    // Every entry the menu gains, in one place; `groupID` is the nook of the first item.
    void extendMenu(QMenu* menu, const QList<NookItem>& items, QUuid groupID);
    void beginRename(const NookItem& item, QUuid groupID);
    NewGroupSheet* renameSheet() const { return m_sheet; }

signals:
    // Neither a file manager nor any application could show the item's folder.
    void showInFolderFailed(const NookItem& item);
    // An entry of the "Open With" menu: the desktop entry id of the application.
    void openWithRequested(const NookItem& item, const QString& applicationId);
    // An entry of the "Move to" menu.
    void moveRequested(const QList<NookItem>& items, QUuid toGroupID);

private:
    void addOpenWith(QMenu* menu, const NookItem& item, const QString& path);
    void addMoveTo(QMenu* menu, const QList<NookItem>& items, QUuid groupID);
    // Where the item's target was found, else where it was recorded.
    QString pathOf(const NookItem& item) const;

    void rename();

    struct Renaming {
        QUuid itemID, groupID;
    };

    NookStore& m_store;
    NewGroupSheet* m_sheet;
    QHash<QUuid, QString> m_paths;
    std::optional<Renaming> m_renaming;
};
