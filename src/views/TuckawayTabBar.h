#pragma once

#include "views/GroupSummary.h"
#include "views/ModifierTracker.h"
#include "views/ReorderDrag.h"
#include "views/TuckawayTabButton.h"

#include <QHash>
#include <QScrollArea>

#include <optional>

class QGraphicsOpacityEffect;
class QMenu;
class QToolButton;

class QDropEvent;
class QHBoxLayout;

// The horizontally scrolling row of tabs, one per group. It shows the groups and marks
// the current one as it is told; a click (or the overflow menu) asks for a group to
// become current, as renames, removals and Ctrl-drag moves are asked for. Tab reaches
// the row as one stop: the current tab then shows a focus ring, and the arrows, Home
// and End ask for another group.
class TuckawayTabBar : public QScrollArea, private TuckawayTabButton::DropHandler {
    Q_OBJECT
public:
    explicit TuckawayTabBar(QWidget* parent = nullptr);

    void setGroups(const QList<GroupSummary>& groups);
    QList<GroupSummary> groups() const { return m_groups; }
    // The group shown as current.
    void setSelectedGroupID(const std::optional<QUuid>& id);
    std::optional<QUuid> selectedGroupID() const { return m_selectedGroupID; }

    TuckawayTabButton* tab(const QUuid& id) const { return m_tabs.value(id); }
    QList<TuckawayTabButton*> tabs() const; // in tab order

    // The group whose tab is being dragged to a new place, if any.
    std::optional<QUuid> activeID() const { return m_reorder.dragged(); }
    bool isDragActive() const { return m_dragRunning; }
    bool ctrlPressed() const { return m_ctrlTracker.ctrlPressed(); }

    // Shown at the row's end while the tabs do not all fit; its menu lists every group.
    QToolButton* overflowButton() const { return m_overflowButton; }
    QMenu* overflowMenu() const { return m_overflowMenu; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click on a tab, or the overflow menu, chose this group.
    void selectRequested(const QUuid& id);
    void moveRequested(const QUuid& dragged, const QUuid& target);
    void renameRequested(const QUuid& id, const QString& name);
    void deleteRequested(const QUuid& id);
    void openAllRequested(const QUuid& id);
    void sortRequested(const QUuid& id, ItemOrder::Key key);
    // Items of the grid were dropped on another group's tab.
    void itemDropRequested(const QList<QUuid>& itemIDs, const QUuid& groupID, bool copy);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void tabDragEntered(TuckawayTabButton* tab, QDragEnterEvent* event) override;
    void tabDragMoved(TuckawayTabButton* tab, QDragMoveEvent* event) override;
    void tabDropped(TuckawayTabButton* tab, QDropEvent* event) override;
    bool takeItemDrag(TuckawayTabButton* tab, QDropEvent* event, bool dropped);
    void startDrag(const QUuid& id);
    QUuid idOf(const TuckawayTabButton* tab) const;
    void updateEdgeFade();
    void updateOverflow();
    void rebuildOverflowMenu();
    void revealSelected();
    void markFocus();

    QList<GroupSummary> m_groups;
    QHash<QUuid, TuckawayTabButton*> m_tabs;
    QWidget* m_strip;
    QHBoxLayout* m_layout;
    QGraphicsOpacityEffect* m_edgeFade;
    std::optional<QUuid> m_selectedGroupID;
    ReorderDrag m_reorder;
    bool m_dragRunning = false;
    ModifierTracker m_ctrlTracker;
    QToolButton* m_overflowButton;
    QMenu* m_overflowMenu;
};
