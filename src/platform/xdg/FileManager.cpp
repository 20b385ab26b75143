#include "platform/xdg/FileManager.h"

#include "platform/LogCategories.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace FileManager {

namespace {
const QString kService = QStringLiteral("org.freedesktop.FileManager1");

void openFolder(const QString& path, const QPointer<QObject>& context, const std::function<void()>& failed) {
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
    if (QDesktopServices::openUrl(folder))
        return;
    qCWarning(lcOpen) << "no application opened" << folder.toDisplayString();
    if (context)
        failed();
}
} // namespace

void showItem(const QString& path, QObject* context, std::function<void()> failed) {
    const QPointer<QObject> guard(context);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    const bool offered = names && (names->isServiceRegistered(kService).value() ||
                                   names->activatableServiceNames().value().contains(kService));
    if (!offered) {
        openFolder(path, guard, failed);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/FileManager1"), kService, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [path, guard, failed](QDBusPendingCallWatcher* done) {
                         if (done->isError()) {
                             qCWarning(lcDbus)
                                 << "the file manager did not show" << path << ":" << done->error().message();
                             openFolder(path, guard, failed);
                         }
                         done->deleteLater();
                     });
}

} // namespace FileManager
