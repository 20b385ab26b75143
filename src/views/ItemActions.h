#pragma once

#include <QHash>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

class NewGroupSheet;
class NookStore;
class QMenu;
class QWidget;
struct NookItem;

// What an item's context menu adds to the grid's own entries: show it in its folder,
// copy its path, rename it (in a sheet over the panel).
class ItemActions : public QObject {
    Q_OBJECT
public:
    // `groupOf` names the nook an item shown in the grid belongs to; the sheet lies over `panel`.
    ItemActions(NookStore& store, std::function<QUuid(const QUuid& itemID)> groupOf, QWidget* panel);

    // Where the targets were found last; an item without one cannot be shown in its folder.
    void setPaths(const QHash<QUuid, QString>& paths) { m_paths = paths; }
    void extendMenu(QMenu* menu, const NookItem& item);
    void beginRename(const NookItem& item);
    NewGroupSheet* renameSheet() const { return m_sheet; }

private:
    void rename();

    NookStore& m_store;
    std::function<QUuid(const QUuid&)> m_groupOf;
    NewGroupSheet* m_sheet;
    QHash<QUuid, QString> m_paths;
    std::optional<QUuid> m_renaming;
};
