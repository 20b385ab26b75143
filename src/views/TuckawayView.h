#pragma once

#include "model/NookItem.h"
#include "views/FileChooser.h"
#include "views/PanelHeader.h"
#include "views/PanelNotices.h"

#include <QWidget>

#include <QSet>

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

// The whole content of the panel: the header, a divider, and the grid of the current
// nook's items. It shows what the store holds and keeps no copy of it: the nook on
// screen is always the store's current one (a click on a tab asks the store to change
// it), and every change of the nooks shows at once. Edits of the nooks go to the store;
// what only the application can do (open an item, show the settings, close) is asked
// for through the signals. It paints its own rounded background in the palette's window
// colour and leaves the corners transparent.
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

    TuckawayTabBar* tabBar() const { return m_header->tabBar(); }
    ItemGridView* grid() const { return m_grid; }
    HeaderButton* addGroupButton() const { return m_header->addGroupButton(); }
    HeaderButton* pinButton() const { return m_header->pinButton(); }
    HeaderButton* settingsButton() const { return m_header->settingsButton(); }
    HeaderButton* addFilesButton() const { return m_header->addFilesButton(); }
    QWidget* emptyAddFilesButton() const { return m_emptyAddFiles; }
    NewGroupSheet* newGroupSheet() const { return m_sheet; }
    NewGroupSheet* renameSheet() const;
    QLabel* emptyHint() const { return m_emptyHint; }
    QLineEdit* searchField() const { return m_header->searchField(); }
    NoticeBar* noticeBar() const { return m_notice; }
    HandOverProgress* handOverProgress() const { return m_progress; }
    const TargetCheck* targetCheck() const { return m_targetCheck; }

    QSize sizeHint() const override { return panelSize(); }

    // Takes back the newest removal or move of the undo history; false when there is none.
    bool undo();
    enum class OpenFailure { Missing, NoApplication };
    void showOpenFailure(const QUuid& itemID, OpenFailure failure);

    // Asks for files and folders and hands them over to the nook on screen at the time of
    // asking (with no nook, to a new one).
    void chooseFiles();
    void setFileChooser(FileChooser::Chooser chooser) { m_chooser = std::move(chooser); }
    // Opens every item of the nook, each as a click would.
    void openAll(const QUuid& groupID);

signals:
    void closeRequested(); // Escape with nothing else to end
    void openRequested(const NookItem& item);
    void openWithRequested(const NookItem& item, const QString& applicationId);
    void settingsRequested();
    void panelSizeChanged(); // "panelHeight" changed while shown

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void connectTabs();
    void connectGrid();
    // The tabs, the mark and the current nook's items as the store has them; `fromTop` for a
    // nook newly on screen, which also has its targets looked up.
    void showStore(bool fromTop);
    void showItems(bool fromTop);
    void showHint(const char* textId);
    void setKeyboardOrder();
    // The store's current nook, if any.
    std::optional<QUuid> currentID() const;
    void openItem(const NookItem& item);
    void updateSize();
    void escape();
    void renameFocused();
    void createGroup();
    void renameGroup(const QUuid& groupID, const QString& name);
    void cancelAddGroup();
    // The nook of an item shown in the grid: a search result may come from another.
    QUuid groupOf(const QUuid& itemID) const;
    QList<UndoHistory::ItemRef> placesOf(const QList<QUuid>& itemIDs) const;
    QList<UndoHistory::ItemRef> placesOf(const QList<NookItem>& items) const;

    NookStore& m_store;
    Preferences& m_preferences;

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
    QWidget* m_emptyAddFiles;
    FileChooser::Chooser m_chooser = &FileChooser::chooseWithDesktop;
    // Hand-overs from the panel (drops, the chooser), whose refused addresses it tells of.
    QSet<quint64> m_ownHandOvers;
};
