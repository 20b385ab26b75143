#include "app/ItemOpener.h"

#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/WebLinks.h"
#include "platform/LogCategories.h"
#include "platform/xdg/DesktopEntry.h"
#include "platform/xdg/LinkEntry.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMimeDatabase>

namespace ItemOpener {

namespace {

struct Target {
    QUrl url;
    bool hasApplication = false;
};

// Worker thread.
std::optional<Target> locate(const QByteArray& bookmark) {
    const std::optional<QString> path = Bookmarks::resolvePath(bookmark);
    if (!path)
        return std::nullopt;
    if (DesktopEntry::isDesktopEntryPath(*path)) {
        // A web link opens its address in the browser: neither started nor shown in an editor.
        if (const auto link = LinkEntry::read(*path)) {
            const bool web = WebLinks::isWebAddress(link->url);
            return Target{link->url, web && DesktopEntry::anyApplicationFor(
                                                QStringLiteral("x-scheme-handler/") + link->url.scheme())};
        }
        return Target{QUrl::fromLocalFile(*path), true}; // the entry is its own application
    }
    static const QMimeDatabase database; // thread-safe
    return Target{QUrl::fromLocalFile(*path),
                  DesktopEntry::anyApplicationFor(database.mimeTypeForFile(*path).name())};
}

} // namespace

Result launch(const QUrl& url) {
    if (url.isLocalFile() && DesktopEntry::isDesktopEntryPath(url.toLocalFile())) {
        // Never handed to the default application: that would show the entry in an editor.
        const auto entry = DesktopEntry::read(url.toLocalFile());
        return entry && entry->launch() ? Result::Opened : Result::NoApplication;
    }
    if (QDesktopServices::openUrl(url))
        return Result::Opened;
    qCWarning(lcOpen) << "no application opened" << url.toDisplayString();
    return Result::NoApplication;
}

void open(const NookItem& item, QObject* context, std::function<void(Result)> done, Launcher launcher) {
    QPointer<QObject> guard(context);
    BackgroundWork::run(
        [guard, bookmark = item.bookmarkData, done = std::move(done), launcher = std::move(launcher)] {
            const std::optional<Target> target = locate(bookmark);
            // Delivered through the application object: `context` may go away meanwhile.
            QMetaObject::invokeMethod(QCoreApplication::instance(), [guard, target, done, launcher] {
                if (!guard)
                    return;
                Result result = Result::Missing;
                if (!target) {
                    qCDebug(lcOpen) << "the target is gone";
                } else if (!target->hasApplication) {
                    qCDebug(lcOpen) << "no application for" << target->url.toDisplayString();
                    result = Result::NoApplication;
                } else {
                    result = launcher(target->url);
                }
                if (done)
                    done(result);
            });
        },
        BackgroundWork::UserWaits);
}

} // namespace ItemOpener
