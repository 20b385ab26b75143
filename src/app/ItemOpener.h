#pragma once

#include <QUrl>

// Opens an item's target the way the desktop would: an application's desktop entry is
// started (if the desktop trusts it), anything else goes to its default application.
// Failures are silent, as everywhere in the panel.
namespace ItemOpener {
void open(const QUrl& url);
}
