#include "platform/LogCategories.h"

Q_LOGGING_CATEGORY(lcStore, "tuckaway.store", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBookmarks, "tuckaway.bookmarks", QtWarningMsg)
Q_LOGGING_CATEGORY(lcIcons, "tuckaway.icons", QtWarningMsg)
Q_LOGGING_CATEGORY(lcOpen, "tuckaway.open", QtWarningMsg)
Q_LOGGING_CATEGORY(lcX11, "tuckaway.x11", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDbus, "tuckaway.dbus", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBackground, "tuckaway.background", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPanel, "tuckaway.panel", QtWarningMsg)
