#pragma once

#include "GridFocus.h"
#include "ItemCell.h"
#include "NookItem.h"
#include "PanelMetrics.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <functional>
#include <optional>
#include <set>

class AnimatedValue;
class ModifierTracker;
class QMenu;

// The selected group's items as a vertically scrolling grid of cells. Clicks open,
// the Alt badge and the context menu remove, Ctrl-drags reorder live, and files
// dropped from other applications are added. Only the cells in view are laid out,
// painted and asked for their icons.
class ItemGridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void(const NookItem&)> onOpen;
        std::function<void(const QUuid&)> onRemove;
        std::function<void(const std::set<int>& offsets, int destination)> onMove;
        std::function<void(const QList<QUrl>&)> onAddURLs;
        // Adds the entries between Open and Remove to an item's context menu.
        std::function<void(QMenu*, const NookItem&)> extendMenu;
    };

    explicit ItemGridView(QWidget* parent = nullptr);
    ~ItemGridView() override;

    void setCallbacks(Callbacks callbacks) { m_callbacks = std::move(callbacks); }
    // A new list of items; with `fromTop` the view also scrolls back to the first row.
    void setItems(const QList<NookItem>& items, bool fromTop = false);
    const QList<NookItem>& items() const { return m_items; }
    // What the last look at the targets found: items whose target is gone are dimmed and
    // marked; the paths go into the tooltips.
    void setTargets(const QSet<QUuid>& missing, const QHash<QUuid, QString>& paths);
    bool isMissing(const QUuid& id) const { return m_missing.contains(id); }
    QString toolTipAt(const QPoint& viewportPos) const;

    int columns() const { return m_columns; }
    double iconSize() const { return m_iconSize; }
    double columnWidth() const { return PanelMetrics::columnWidth(m_iconSize); }
    ItemCell::Metrics cellMetrics() const { return {m_iconSize}; }
    // Where a cell lies in the viewport; its whole rectangle is its hit area.
    QRectF cellRect(int index) const;
    QRectF badgeRect(int index) const;
    int indexAt(const QPoint& viewportPos) const;
    QSize contentSize() const;
    // Indexes of the first and last cell that are (at least partly) in view; last < first when none.
    std::pair<int, int> visibleRange() const;

    // The current look of a cell (icon, hover scale, fade, badge), as it is painted.
    ItemCell::Look look(int index) const;
    std::optional<QUuid> hoveredItem() const { return m_hovered; }
    bool altPressed() const;
    bool ctrlPressed() const;
    std::optional<NookItem> activeItem() const { return m_activeItem; }
    bool hasChangedLocation() const { return m_hasChangedLocation; }
    bool isDropTargeted() const { return m_dropTargeted; }
    bool isDragActive() const { return m_dragRunning; }

    // The cell the keyboard is on; its ring shows after the keyboard has been used.
    int focusIndex() const { return m_focus.index(); }
    bool focusRingShown() const { return m_focus.ringShown(); }
    void resetKeyboardFocus();
    // The ring also shows while another widget (the search field) steers the grid.
    void setSteeredFromElsewhere(bool steered);

signals:
    void dropTargetedChanged(bool targeted);

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
    struct CellAnimation;

    void readPreferences();
    void updateScrollBar();
    double gridLeft() const;
    int indexOf(const QUuid& id) const { return m_indexOf.value(id, -1); }
    void setHovered(const std::optional<QUuid>& id);
    void updateHoverFromCursor();
    void refreshCell(const QUuid& id, int scaleMilliseconds);
    void refreshDraggingCells();
    CellAnimation& animation(const QUuid& id);
    void pruneAnimations();
    void updateCellArea(const QUuid& id);
    bool isDragging(const NookItem& item) const;

    void paintFocusRing(QPainter& painter);
    void scrollToFocus();
    void openItem(const NookItem& item);
    void removeItem(const NookItem& item);
    void startDrag(int index);
    void startDragOut(int index);
    void handleDragPosition(QDragMoveEvent* event);
    void setDropTargeted(bool targeted);
    bool ctrlHeldFor(const QDropEvent* event) const;

    QList<NookItem> m_items;
    GridFocus m_focus;
    QSet<QUuid> m_missing;
    QHash<QUuid, QString> m_paths;
    bool m_steered = false;
    QHash<QUuid, int> m_indexOf;
    Callbacks m_callbacks;
    int m_columns = 4;
    double m_iconSize = 52;

    ModifierTracker* m_keys;
    std::optional<QUuid> m_hovered;
    QHash<QUuid, CellAnimation*> m_animations;
    std::optional<QUuid> m_draggingShown; // the cell currently drawn faded

    int m_pressIndex = -1;
    QPoint m_pressPos;
    bool m_pressOnBadge = false;

    std::optional<NookItem> m_activeItem;
    bool m_hasChangedLocation = false;
    bool m_dragRunning = false;
    std::optional<QUuid> m_dragOverCell;
    bool m_dropTargeted = false;
};
