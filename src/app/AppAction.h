#pragma once

// What the user or a script may ask of the application, whoever asks: the tray, the global
// shortcut, a launcher, the bus or the command line.
enum class AppAction {
    TogglePanel,
    ShowPanel,
    OpenSettings,
    AddFiles,    // the file chooser, into the current nook
    ExportNooks, // a file chosen, then written
    ImportNooks, // a file chosen, then read
    Quit,
};
