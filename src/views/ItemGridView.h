#pragma once

#include "model/NookItem.h"
#include "views/CellAnimations.h"
#include "views/GridFocus.h"
#include "views/GridGeometry.h"
#include "views/GridSelection.h"
#include "views/ItemCell.h"
#include "views/ModifierTracker.h"
#include "views/ReorderDrag.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <optional>

class IconCache;
class QDrag;
class QMenu;
class QMimeData;

// A list of items as a vertically scrolling grid of cells. Clicks open, the Alt badge
// and the context menu remove, Ctrl-drags reorder live, and files dropped from other
// applications are added: the grid asks through its signals and changes nothing itself.
// Ctrl and Shift with clicks and keys, Ctrl+A and a rubber band select several items,
// which Delete, the menu and drags then act on together (see GridSelection).
// Only the cells in view are laid out, painted and asked for their icons.
class ItemGridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ItemGridView(IconCache& icons, QWidget* parent = nullptr);
    ~ItemGridView() override;

    // The number of columns and the side of the icons (the user's preferences).
    void setShape(int columns, double iconSize);
    // A new list of items; with `fromTop` the view also scrolls back to the first row.
    void setItems(const QList<NookItem>& items, bool fromTop = false);
    const QList<NookItem>& items() const { return m_items; }
    // What a look at the targets of some items found: items whose target is gone are dimmed
    // and marked; the paths go into the tooltips. Other items keep what was found before.
    void setTargets(const QSet<QUuid>& missing, const QHash<QUuid, QString>& paths);
    bool isMissing(const QUuid& id) const { return m_missing.contains(id); }
    QString toolTipAt(const QPoint& viewportPos) const;
    // The items whose cells are in view or a row from it.
    QList<NookItem> itemsInView() const;

    // Where the cells lie now, in viewport coordinates.
    GridGeometry gridGeometry() const;
    int columns() const { return m_columns; }
    QRectF cellRect(int index) const { return gridGeometry().cellRect(index); }
    int indexAt(const QPoint& viewportPos) const { return gridGeometry().indexAt(viewportPos); }

    // The current look of a cell (icon, hover scale, fade, badge), as it is painted.
    ItemCell::Look look(int index) const;
    std::optional<QUuid> hoveredItem() const { return m_hovered; }
    bool altPressed() const { return m_keys.altPressed(); }
    bool ctrlPressed() const { return m_keys.ctrlPressed(); }
    // The item of a running reorder drag, and whether it has left its place yet.
    std::optional<QUuid> draggedItem() const { return m_reorder.dragged(); }
    bool draggedItemMoved() const { return m_reorder.hasMoved(); }
    bool isDragActive() const { return m_dragRunning; }

    // The cell the keyboard is on; its ring shows after the keyboard has been used.
    int focusIndex() const { return m_focus.index(); }
    bool focusRingShown() const { return m_focus.ringShown(); }
    void resetKeyboardFocus();
    // The ring also shows while another widget (the search field) steers the grid.
    void setSteeredFromElsewhere(bool steered);

    const GridSelection& selection() const { return m_selection; }
    bool isSelected(const QUuid& id) const { return m_selection.contains(id); }
    // The selected items in grid order; false when nothing was selected.
    QList<NookItem> selectedItems() const { return m_selection.selectedIn(m_items); }
    bool clearSelection();
    void selectAll();
    // What an action on `item` acts on: the whole selection when the item is in it, else the item.
    QList<NookItem> actedOn(const NookItem& item) const;
    // The rubber band being dragged, in viewport coordinates; empty when none.
    QRect rubberBand() const;

signals:
    // Other cells may be in view now: other items, a scroll, another size or shape.
    void viewChanged();
    // A click, Enter or the menu's Open.
    void openRequested(const NookItem& item);
    // The Alt badge, Delete or the menu's Remove: one item, or the selected ones together.
    void removeRequested(const QList<NookItem>& items);
    // A Ctrl-drag: the item at `offset` goes before the one now at `destination` (the count: last).
    void moveRequested(int offset, int destination);
    // Files and addresses dropped on the grid, with the page titles the drop carried; told
    // after the drop has finished.
    void filesDropped(const QList<QUrl>& urls, const QHash<QUrl, QString>& titles);
    // An item's context menu is being made for these items (the selection, when it was opened
    // on a selected item): what is added now lies between Open and Remove.
    void menuRequested(QMenu* menu, const QList<NookItem>& items);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int indexOf(const QUuid& id) const;
    void updateScrollBar();
    void setHovered(const std::optional<QUuid>& id);
    void updateHoverFromCursor();
    bool pressOnBadge(const QPoint& pos) const;
    void refreshCell(const QUuid& id, int scaleMilliseconds);
    void refreshDraggingCells();
    void updateCellArea(const QUuid& id);
    void paintFocusRing(QPainter& painter);
    void showFocusRing();
    void moveItem(const QUuid& dragged, const QUuid& target);
    void startReorderDrag(int index);
    void startDragOut(int index);
    void runDrag(int index, QMimeData* mime, Qt::DropActions actions, Qt::DropAction defaultAction);
    void handleDragPosition(QDragMoveEvent* event);
    void addDroppedFiles(QDropEvent* event);
    // Selection (ItemGridSelect.cpp). A click with Ctrl or Shift selects; a plain one clears
    // the selection and opens (false).
    bool clickSelects(int index, Qt::KeyboardModifiers modifiers);
    void beginBand(const QPoint& pos, bool add);
    void bandTo(const QPoint& pos);
    bool endBand();
    bool selectAllKey(const QKeyEvent* event);
    // The keyboard moved from `from`: with Shift the selection grows to it, else it clears.
    void keyboardMoved(int from, bool shift);
    void selectionChanged();
    void paintRubberBand(QPainter& painter);

    IconCache& m_icons;
    QList<NookItem> m_items;
    mutable QHash<QUuid, int> m_indexOf; // made when first needed
    QSet<QUuid> m_missing;
    QHash<QUuid, QString> m_paths;
    int m_columns = 4;
    double m_iconSize = 52;

    GridFocus m_focus;
    bool m_steered = false;
    ModifierTracker m_keys;
    std::optional<QUuid> m_hovered;
    CellAnimations m_animations;
    std::optional<QUuid> m_draggingShown; // the cell currently drawn faded

    int m_pressIndex = -1;
    QPoint m_pressPos;
    GridSelection m_selection;
    std::optional<QPoint> m_bandStart; // in content coordinates: it stays put as the view scrolls
    QPoint m_bandEnd;
    bool m_pressOnBadge = false;

    ReorderDrag m_reorder;
    bool m_dragRunning = false;
    std::optional<QUuid> m_dragOverCell;
    bool m_dragHasLocalFiles = false; // read once per drag: a foreign drag's data is fetched on request
};
