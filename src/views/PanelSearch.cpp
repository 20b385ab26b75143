#include "views/PanelSearch.h"

#include "views/ItemGridView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

PanelSearch::PanelSearch(QLineEdit* field, ItemGridView* grid, QObject* parent)
    : QObject(parent)
    , m_field(field)
    , m_grid(grid) {
    m_field->hide();
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.isEmpty())
            end();
        else
            showResults();
    });
}

void PanelSearch::start(const QString& text, const QList<NookGroup>& groups,
                        const std::optional<QUuid>& current) {
    m_search.setGroups(groups, current);
    m_active = true;
    m_field->setText(text);
    m_field->show();
    m_field->setFocus(Qt::OtherFocusReason); // not a reason that selects the text: typing goes on
    emit activeChanged(true);                // first: those told make ready for the results
    showResults();
}

void PanelSearch::end() {
    if (!m_active)
        return;
    m_active = false;
    m_groupOf.clear();
    m_field->clear();
    m_field->hide();
    emit activeChanged(false);
}

void PanelSearch::refresh(const QList<NookGroup>& groups, const std::optional<QUuid>& current) {
    if (!m_active)
        return;
    m_search.setGroups(groups, current);
    showResults();
}

std::optional<QUuid> PanelSearch::groupOf(const QUuid& itemID) const {
    const auto it = m_groupOf.constFind(itemID);
    return it == m_groupOf.cend() ? std::nullopt : std::optional(*it);
}

void PanelSearch::showResults() {
    QList<NookItem> items;
    m_groupOf.clear();
    for (ItemSearch::Result& result : m_search.find(m_field->text())) {
        m_groupOf.insert(result.item.id, result.groupID);
        // Results from other nooks carry the nook's name.
        if (result.otherGroup)
            result.item.name += QStringLiteral(" · ") + result.groupName;
        items << result.item;
    }
    m_grid->setItems(items, true);
    emit resultsShown(items);
}

bool PanelSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Escape:
        if (!m_grid->clearSelection()) // a selection among the results goes first
            end();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QApplication::sendEvent(m_grid, key);
        return true;
    default:
        return false;
    }
}
