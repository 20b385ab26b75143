#include "platform/xdg/FileManager.h"

#include "platform/LogCategories.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace FileManager {

namespace {
const QString kService = QStringLiteral("org.freedesktop.FileManager1");

void openFolder(const QString& path) {
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
    if (!QDesktopServices::openUrl(folder))
        qCWarning(lcOpen) << "no application opened" << folder.toDisplayString();
}
} // namespace

void showItem(const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    const bool offered = names && (names->isServiceRegistered(kService).value() ||
                                   names->activatableServiceNames().value().contains(kService));
    if (!offered) {
        openFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/FileManager1"), kService, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [path](QDBusPendingCallWatcher* done) {
        if (done->isError()) {
            qCWarning(lcDbus) << "the file manager did not show" << path << ":" << done->error().message();
            openFolder(path);
        }
        done->deleteLater();
    });
}

} // namespace FileManager
