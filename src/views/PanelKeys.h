#pragma once

class QKeyEvent;

// The keys the whole panel answers (the grid and the search field handle their own).
namespace PanelKeys {

enum class Command {
    None,
    Search,        // a printable character: start searching with it
    Escape,        // end what is under way, else close
    NextGroup,     // Ctrl+Tab, Ctrl+Page Down
    PreviousGroup, // Ctrl+Shift+Tab, Ctrl+Page Up
    NthGroup,      // Ctrl+1 ... Ctrl+9 (groupNumber)
    NewGroup,      // Ctrl+N
    Settings,      // Ctrl+,
    Rename,        // F2
};

Command commandFor(const QKeyEvent& event);
// 1 to 9 for NthGroup's keys, else 0.
int groupNumber(const QKeyEvent& event);

} // namespace PanelKeys
