#include "views/PanelAccessibility.h"

#include "views/ItemGridView.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayTabButton.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

class CellAccessible;

// The grid: its children are the cells, not the viewport and scroll bars.
class GridAccessible : public QAccessibleWidget {
public:
    explicit GridAccessible(ItemGridView* grid)
        : QAccessibleWidget(grid, QAccessible::List) {}
    ~GridAccessible() override {
        for (QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
    }

    ItemGridView* grid() const { return static_cast<ItemGridView*>(widget()); }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiSelectable = state.extSelectable = true;
        return state;
    }
    int childCount() const override { return int(grid()->items().size()); }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override {
        return grid()->hasFocus() ? child(grid()->focusIndex()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint pos = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        return child(grid()->indexAt(pos));
    }

private:
    // One interface per item, kept while the grid lives so that tools can hold on to it.
    mutable QHash<QUuid, QAccessible::Id> m_cells;
};

class CellAccessible : public QAccessibleInterface {
public:
    CellAccessible(ItemGridView* grid, const QUuid& itemID)
        : m_grid(grid)
        , m_itemID(itemID) {}

    bool isValid() const override { return m_grid && index() >= 0; }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_grid); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text kind) const override {
        const int at = index();
        if (at < 0)
            return {};
        if (kind == QAccessible::Name)
            return m_grid->items().at(at).name;
        if (kind == QAccessible::Description && m_grid->isMissing(m_itemID))
            return qtTrId("item.missing");
        return {};
    }

    QRect rect() const override {
        const int at = index();
        if (at < 0)
            return {};
        const QRect local = m_grid->cellRect(at).toAlignedRect();
        return QRect(m_grid->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        const int at = index();
        state.focusable = state.selectable = true;
        state.invisible = at < 0 || !m_grid->viewport()->rect().intersects(m_grid->cellRect(at).toRect());
        state.selected = m_grid->isSelected(m_itemID);
        state.focused = at >= 0 && at == m_grid->focusIndex() && m_grid->hasFocus();
        return state;
    }

private:
    int index() const {
        if (!m_grid)
            return -1;
        const QList<NookItem>& items = m_grid->items();
        for (int i = 0; i < items.size(); ++i) {
            if (items.at(i).id == m_itemID)
                return i;
        }
        return -1;
    }

    QPointer<ItemGridView> m_grid;
    QUuid m_itemID;
};

QAccessibleInterface* GridAccessible::child(int index) const {
    const QList<NookItem>& items = grid()->items();
    if (index < 0 || index >= items.size())
        return nullptr;
    const QUuid itemID = items.at(index).id;
    auto found = m_cells.constFind(itemID);
    if (found == m_cells.cend())
        found = m_cells.insert(itemID,
                               QAccessible::registerAccessibleInterface(new CellAccessible(grid(), itemID)));
    return QAccessible::accessibleInterface(*found);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < childCount(); ++i) {
        const QUuid itemID = grid()->items().at(i).id;
        if (m_cells.contains(itemID) && QAccessible::accessibleInterface(m_cells.value(itemID)) == child)
            return i;
    }
    return -1;
}

// The tab row: its children are the tabs, not the scroll area's parts.
class TabBarAccessible : public QAccessibleWidget {
public:
    explicit TabBarAccessible(TuckawayTabBar* bar)
        : QAccessibleWidget(bar, QAccessible::PageTabList) {}

    QList<TuckawayTabButton*> tabs() const { return static_cast<TuckawayTabBar*>(widget())->tabs(); }
    int childCount() const override { return int(tabs().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<TuckawayTabButton*> all = tabs();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all.at(index))
                                                : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(tabs().indexOf(qobject_cast<TuckawayTabButton*>(child->object()))) : -1;
    }
};

class TabAccessible : public QAccessibleWidget {
public:
    explicit TabAccessible(TuckawayTabButton* tab)
        : QAccessibleWidget(tab, QAccessible::PageTab) {}

    TuckawayTabButton* tab() const { return static_cast<TuckawayTabButton*>(widget()); }
    QAccessibleInterface* parent() const override {
        for (QWidget* up = tab()->parentWidget(); up; up = up->parentWidget()) {
            if (qobject_cast<TuckawayTabBar*>(up))
                return QAccessible::queryAccessibleInterface(up);
        }
        return QAccessibleWidget::parent();
    }
    QString text(QAccessible::Text kind) const override {
        // The tooltip only repeats the name.
        if (kind == QAccessible::Description)
            return {};
        return kind == QAccessible::Name ? tab()->name() : QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = tab()->isSelected();
        return state;
    }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<ItemGridView*>(object))
        return new GridAccessible(grid);
    if (auto* bar = qobject_cast<TuckawayTabBar*>(object))
        return new TabBarAccessible(bar);
    if (auto* tab = qobject_cast<TuckawayTabButton*>(object))
        return new TabAccessible(tab);
    return nullptr;
}

} // namespace

namespace PanelAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceFocus(ItemGridView* grid) {
    if (!QAccessible::isActive() || !grid->hasFocus() || grid->items().isEmpty())
        return;
    QAccessibleEvent event(grid, QAccessible::Focus);
    event.setChild(grid->focusIndex());
    QAccessible::updateAccessibility(&event);
}

void announceSelection(ItemGridView* grid) {
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(grid, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&event);
}

} // namespace PanelAccessibility
