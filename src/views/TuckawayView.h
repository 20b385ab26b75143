#pragma once

#include "model/NookItem.h"
#include "views/GroupSummary.h"
#include "views/PanelHeader.h"
#include "views/PanelNotices.h"

#include <QWidget>

#include <optional>

class FirstMouseView;
class HandOverProgress;
class HeaderButton;
class IconCache;
class ItemActions;
class ItemGridView;
class NewGroupSheet;
class NookStore;
class NoticeBar;
class PanelSearch;
class PinState;
class Preferences;
class QLabel;
class QLineEdit;
class TargetCheck;
class TuckawayTabBar;

// The whole content of the panel: the header, a divider, and the grid of the selected
// group's items. It keeps its own selection and copies of the store's groups, and turns
// every request of the tab bar and the grid into a store operation.
//
// Its selection is the store's current group: each showing opens on it, a click on a
// tab makes that group current, and a hand-over to the current group shows there. It paints its own rounded
// background in the palette's window colour and leaves the corners transparent.
class TuckawayView : public QWidget {
    Q_OBJECT
public:
    TuckawayView(NookStore& store, Preferences& preferences, IconCache& icons, PinState& pinState,
                 QWidget* parent = nullptr);
    ~TuckawayView() override;

    // The panel's width for the preferences' columns and icon size, and their height.
    QSize panelSize() const;
    // True while a drag started in the panel (a tab or an item) is running.
    bool isDragActive() const;

    std::optional<QUuid> selectedGroupID() const { return m_selectedGroupID; }
    void setSelectedGroupID(const std::optional<QUuid>& id);
    const QList<GroupSummary>& cachedGroups() const { return m_cachedGroups; }
    // The group the grid's requests go to: the selection, else the first group, else
    // an id that names no group (so the store ignores the request).
    QUuid targetGroupID() const;

    TuckawayTabBar* tabBar() const { return m_header->tabBar(); }
    ItemGridView* grid() const { return m_grid; }
    HeaderButton* addGroupButton() const { return m_header->addGroupButton(); }
    HeaderButton* pinButton() const { return m_header->pinButton(); }
    HeaderButton* settingsButton() const { return m_header->settingsButton(); }
    NewGroupSheet* newGroupSheet() const { return m_sheet; }
    NewGroupSheet* renameSheet() const;
    QLabel* emptyHint() const { return m_emptyHint; }
    QLineEdit* searchField() const { return m_header->searchField(); }
    NoticeBar* noticeBar() const { return m_notice; }
    HandOverProgress* handOverProgress() const { return m_progress; }

    QSize sizeHint() const override { return panelSize(); }

    // Puts back what the notice says was removed; false when there is nothing to undo.
    bool undo();
    enum class OpenFailure { Missing, NoApplication };
    void showOpenFailure(const QUuid& itemID, OpenFailure failure);

signals:
    void closeRequested(); // Escape with nothing else to end
    void openRequested(const NookItem& item);
    void settingsRequested();
    void panelSizeChanged(); // "panelHeight" changed while shown

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectGrid();
    void syncFromStore();
    void followStoreSelection();
    void showItemsOfSelection(bool fromTop);
    void openItem(const NookItem& item);
    void updateSize();
    void escape();
    void renameFocused();
    void createGroup();
    void cancelAddGroup();
    // The nook of an item shown in the grid: a search result may come from another.
    QUuid groupOf(const QUuid& itemID) const;

    NookStore& m_store;
    Preferences& m_preferences;

    std::optional<QUuid> m_selectedGroupID;
    QList<GroupSummary> m_cachedGroups;
    QList<NookItem> m_cachedItems;
    QString m_newGroupName;

    FirstMouseView* m_firstMouse;
    PanelHeader* m_header;
    HandOverProgress* m_progress;
    QWidget* m_divider;
    ItemGridView* m_grid;
    NewGroupSheet* m_sheet;
    PanelSearch* m_search;
    NoticeBar* m_notice;
    PanelNotices m_notices;
    ItemActions* m_itemActions;
    TargetCheck* m_targetCheck;
    QLabel* m_emptyHint;
};
