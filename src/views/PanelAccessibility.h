#pragma once

class ItemGridView;

// Screen readers see the painted grid as one child per cell and the tab row as one
// page tab per nook, through interfaces the toolkit asks a factory for.
namespace PanelAccessibility {

// Registers the factory once; later calls do nothing.
void install();

// Tells assistive tools that the keyboard moved to another cell of the grid.
void announceFocus(ItemGridView* grid);
// Tells them that the grid's selection changed.
void announceSelection(ItemGridView* grid);

} // namespace PanelAccessibility
