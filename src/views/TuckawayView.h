#pragma once

#include "GroupSummary.h"
#include "NookItem.h"
#include "NoticeBar.h"

#include <QWidget>

#include <functional>
#include <optional>

class FirstMouseView;
class HandOverProgress;
class HeaderButton;
class ItemGridView;
class NewGroupSheet;
class NookStore;
class PanelSearch;
class PinState;
class QLabel;
class QMenu;
class TargetCheck;
class QLineEdit;
class QWindow;
class TuckawayTabBar;

struct PanelCallbacks {
    std::function<void()> onClose;               // Escape with nothing else to end
    std::function<void(const NookItem&)> onOpen; // open this item (the controller closes the panel first)
    std::function<void()> onPanelSizeChanged;    // "panelHeight" changed while shown
};

// The whole content of the panel: a header (tabs, add-group, pin and settings
// buttons), a divider, and the grid of the selected group's items. It keeps its own
// selection and copies of the store's groups, and turns every request of the tab bar
// and the grid into a store operation.
//
// Its selection is the store's current group: each showing opens on it, a click on a
// tab makes that group current, and a hand-over to the current group shows there. It paints its own rounded
// background in the palette's window colour and leaves the corners transparent.
class TuckawayView : public QWidget {
    Q_OBJECT
public:
    TuckawayView(NookStore& store, PinState& pinState, PanelCallbacks callbacks, QWidget* parent = nullptr);
    ~TuckawayView() override;

    void setOnOpenSettings(std::function<void()> open);
    // frameWidth x panelHeight, from the preferences' effective values.
    QSize panelSize() const;
    // True while a drag started in the panel (a tab or an item) is running.
    bool isDragActive() const;

    std::optional<QUuid> selectedGroupID() const { return m_selectedGroupID; }
    void setSelectedGroupID(const std::optional<QUuid>& id);
    const QList<GroupSummary>& cachedGroups() const { return m_cachedGroups; }
    const QList<NookItem>& cachedItems() const { return m_cachedItems; }
    // The group the grid's requests go to: the selection, else the first group, else
    // an id that names no group (so the store ignores the request).
    QUuid targetGroupID() const;
    QString newGroupName() const { return m_newGroupName; }

    TuckawayTabBar* tabBar() const { return m_tabBar; }
    ItemGridView* grid() const { return m_grid; }
    HeaderButton* addGroupButton() const { return m_addButton; }
    HeaderButton* pinButton() const { return m_pinButton; }
    HeaderButton* settingsButton() const { return m_settingsButton; }
    NewGroupSheet* newGroupSheet() const { return m_sheet; }
    NewGroupSheet* renameSheet() const { return m_renameSheet; }
    QLabel* emptyHint() const { return m_emptyHint; }
    QLineEdit* searchField() const { return m_searchField; }
    HandOverProgress* handOverProgress() const { return m_progress; }

    // Keeps a settings window above the panel (which stays on top) when it becomes
    // active; a window is one when its title holds "Settings" or "Einstellungen".
    static bool raiseSettingsWindow(QWindow* window);

    QSize sizeHint() const override { return panelSize(); }

    // How long the notice of a removal offers to undo it.
    static constexpr int kUndoMs = 6000;
    NoticeBar* noticeBar() const { return m_notice; }
    // Puts back what the notice says was removed; false when there is nothing to undo.
    bool undo();
    enum class OpenFailure { Missing, NoApplication };
    void showOpenFailure(const QUuid& itemID, OpenFailure failure);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildHeader();
    void onAppear();
    void syncFromStore();
    void followStoreSelection();
    void showItemsOfSelection(bool fromTop);
    void selectAdjacentGroup(int step);
    void updatePinButton();
    void updateSize();
    void showAddGroup();
    void createGroup();
    void cancelAddGroup();
    void removeGroup(const QUuid& groupID);
    void removeItem(const QUuid& itemID);
    void transferItem(const QUuid& itemID, const QUuid& toGroupID, bool copy);
    qsizetype indexOfItem(const QUuid& itemID) const;
    void offerUndo(const QString& name, std::function<void()> restore);
    void postNotice(NoticeBar::Notice notice);
    void tellAboutUnreadableFile();
    void extendItemMenu(QMenu* menu, const NookItem& item);
    void beginItemRename(const NookItem& item);
    void renameItem();
    // Names are taken without blanks around them.
    static QString trimmedName(const QString& text);

    NookStore& m_store;
    PinState& m_pinState;
    PanelCallbacks m_callbacks;
    std::function<void()> m_openSettings;

    std::optional<QUuid> m_selectedGroupID;
    QList<GroupSummary> m_cachedGroups;
    QList<NookItem> m_cachedItems;
    QString m_newGroupName;

    FirstMouseView* m_firstMouse;
    TuckawayTabBar* m_tabBar;
    HeaderButton* m_addButton;
    HeaderButton* m_pinButton;
    HeaderButton* m_settingsButton;
    HandOverProgress* m_progress;
    QWidget* m_divider;
    ItemGridView* m_grid;
    NewGroupSheet* m_sheet;
    QLineEdit* m_searchField;
    PanelSearch* m_search;
    NoticeBar* m_notice;
    bool m_noticeUndoes = false;
    bool m_toldUnreadable = false;
    NewGroupSheet* m_renameSheet;
    std::optional<QUuid> m_renaming;
    TargetCheck* m_targetCheck;
    QHash<QUuid, QString> m_paths;
    QLabel* m_emptyHint;
    QMetaObject::Connection m_focusWatch;
};
