#include "ItemOpener.h"

#include "DesktopEntry.h"

#include <QDesktopServices>

namespace ItemOpener {

void open(const QUrl& url) {
    if (url.isLocalFile() && DesktopEntry::isDesktopEntryPath(url.toLocalFile())) {
        // Never handed to the default application: that would show the entry in an editor.
        if (const auto entry = DesktopEntry::read(url.toLocalFile()))
            entry->launch();
        return;
    }
    QDesktopServices::openUrl(url);
}

} // namespace ItemOpener
