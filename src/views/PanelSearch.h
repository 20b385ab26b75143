#pragma once

#include "model/ItemSearch.h"

#include <QHash>
#include <QObject>

class ItemGridView;
class QLineEdit;

// The panel's search: a field in the header whose text picks items of every nook,
// shown in the grid. Keys that move or open go on to the grid; Escape ends the search.
class PanelSearch : public QObject {
    Q_OBJECT
public:
    PanelSearch(QLineEdit* field, ItemGridView* grid, QObject* parent = nullptr);

    bool isActive() const { return m_active; }
    void start(const QString& text, const QList<NookGroup>& groups, const std::optional<QUuid>& current);
    void end();
    // The nooks changed while searching: search them again.
    void refresh(const QList<NookGroup>& groups, const std::optional<QUuid>& current);
    // Which nook a shown result belongs to.
    std::optional<QUuid> groupOf(const QUuid& itemID) const;

signals:
    // As a search begins (before its first results are shown) and as it ends.
    void activeChanged(bool active);
    // The results now shown in the grid (none: nothing matched).
    void resultsShown(const QList<NookItem>& results);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showResults();

    QLineEdit* m_field;
    ItemGridView* m_grid;
    ItemSearch m_search;
    QHash<QUuid, QUuid> m_groupOf;
    bool m_active = false;
};
