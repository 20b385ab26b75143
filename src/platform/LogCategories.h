#pragma once

#include <QLoggingCategory>

// Diagnostics by module. Warnings and above show by default; the rest is switched on with
// QT_LOGGING_RULES, for example "tuckaway.open.debug=true" or "tuckaway.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)      // tuckaway.store: loading and saving the nooks
Q_DECLARE_LOGGING_CATEGORY(lcBookmarks)  // tuckaway.bookmarks: finding moved targets
Q_DECLARE_LOGGING_CATEGORY(lcIcons)      // tuckaway.icons: icon lookup and fallbacks
Q_DECLARE_LOGGING_CATEGORY(lcOpen)       // tuckaway.open: starting applications, opening files
Q_DECLARE_LOGGING_CATEGORY(lcX11)        // tuckaway.x11: the X server's extensions and events
Q_DECLARE_LOGGING_CATEGORY(lcDbus)       // tuckaway.dbus: the session bus, ours and others' services
Q_DECLARE_LOGGING_CATEGORY(lcBackground) // tuckaway.background: work off the main thread
Q_DECLARE_LOGGING_CATEGORY(lcPanel)      // tuckaway.panel: showing and closing the panel
