#include "views/TuckawayView.h"

#include "model/NookStore.h"
#include "views/GroupSelection.h"
#include "views/ItemActions.h"
#include "views/ItemGridView.h"
#include "views/ModifierTracker.h"
#include "views/NewGroupSheet.h"
#include "views/PanelKeys.h"
#include "views/PanelSearch.h"
#include "views/TuckawayTabBar.h"
#include "views/TuckawayTabButton.h"

#include <QKeyEvent>

// The keys of the whole panel; the grid, the tabs and the search field handle their own.

bool TuckawayView::event(QEvent* event) {
    // Keys let go while another window had the keyboard (say the settings, closed with
    // Alt+F4) were never seen: ask the keyboard, or Alt would seem held.
    if (event->type() == QEvent::WindowActivate)
        ModifierTracker::readKeyboardAgain();
    return QWidget::event(event);
}

void TuckawayView::keyPressEvent(QKeyEvent* event) {
    using PanelKeys::Command;
    const Command command = PanelKeys::commandFor(*event);
    switch (command) {
    case Command::Search:
        if (m_sheet->isVisible() || m_search->isActive())
            return QWidget::keyPressEvent(event);
        m_search->start(event->text(), m_store.groups(), currentID());
        break;
    case Command::Escape:
        escape();
        break;
    case Command::NextGroup:
    case Command::PreviousGroup:
        if (const auto next = GroupSelection::adjacent(m_store.groups(), currentID(),
                                                       command == Command::NextGroup ? 1 : -1))
            m_store.selectGroup(*next);
        break;
    case Command::NthGroup:
        if (const int index = PanelKeys::groupNumber(*event) - 1; index < m_store.groups().size())
            m_store.selectGroup(m_store.groups().at(index).id);
        break;
    case Command::NewGroup:
        m_sheet->open();
        break;
    case Command::Settings:
        emit settingsRequested();
        break;
    case Command::Rename:
        renameFocused();
        break;
    case Command::None:
        return QWidget::keyPressEvent(event);
    }
    event->accept();
}

// Escape ends what is under way, innermost first (a selection before the search it was made
// in); with nothing under way it closes.
void TuckawayView::escape() {
    if (m_sheet->isVisible())
        cancelAddGroup();
    else if (m_grid->clearSelection())
        return;
    else if (m_search->isActive())
        m_search->end();
    else
        emit closeRequested();
}

// The item the keyboard is on, when the grid has it; else the nook.
void TuckawayView::renameFocused() {
    const QList<NookItem>& items = m_grid->items();
    const int focused = m_grid->focusIndex();
    if (m_grid->hasFocus() && !m_search->isActive() && focused >= 0 && focused < items.size())
        m_itemActions->beginRename(items.at(focused), groupOf(items.at(focused).id));
    else if (TuckawayTabButton* tab = m_header->tabBar()->tab(currentID().value_or(QUuid())))
        tab->beginRename();
}
