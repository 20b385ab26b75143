#include "app/AppDelegate.h"
#include "app/AppIcon.h"
#include "app/ApplicationService.h"
#include "app/BackgroundStart.h"
#include "app/CommandLine.h"
#include "app/CommandLineClient.h"
#include "app/PanelController.h"
#include "app/RemoteInstance.h"
#include "app/StoreCommands.h"
#include "app/TrayIcon.h"
#include "model/HandOverQueue.h"
#include "model/NookStore.h"
#include "platform/FreeMemory.h"
#include "platform/GlobalShortcut.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "platform/xdg/ThemeIcons.h"
#include "platform/xdg/XdgAutostartLoginItem.h"
#include "settings/SettingsView.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTextStream>

#include <memory>
#include <optional>

using CommandLine::Action;
using CommandLineClient::WithoutInstance;

namespace {
void setNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Tuckaway"));
    QCoreApplication::setApplicationName(QStringLiteral("Tuckaway"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TUCKAWAY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tuckaway.Tuckaway"));
}

// Wayland lets no client place its own window or read the pointer; XWayland does.
void preferXcb(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrncmp(argv[i], "-platform=", 10) == 0)
            return;
    }
    if (qEnvironmentVariableIsSet("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Everything that needs no panel of our own: printing, asking the running instance (started
// in the background where the request needs one), and adding files where no display is.
// Nothing when this process is to become the instance.
std::optional<int> runAsClient(int argc, char** argv, CommandLine::Request& request) {
    QCoreApplication app(argc, argv);
    Localization::install(); // the help in the session's language
    request = CommandLine::parse(argumentsOf(argc, argv), QDir::currentPath());
    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    CommandLine::configure(parser);
    switch (request.action) {
    case Action::Help:
        out << parser.helpText();
        return CommandLineClient::Done;
    case Action::Version:
        out << QCoreApplication::applicationName() << " " << QCoreApplication::applicationVersion() << "\n";
        return CommandLineClient::Done;
    case Action::BadUsage:
        err << "tuckaway: " << request.error << "\nTry 'tuckaway --help' for more information.\n";
        return CommandLineClient::BadUsage;
    default:
        break;
    }

    // A connection of its own, closed before the application object goes.
    const QString name = QStringLiteral("tuckaway-client");
    std::optional<int> status;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        const RemoteInstance instance(bus);
        const auto ask = [&] { return CommandLineClient::call(request, instance, out, err); };
        if (instance.isRunning()) {
            status = ask();
        } else {
            switch (CommandLineClient::withoutInstance(request.action, hasDisplay(), bus.isConnected())) {
            case WithoutInstance::BecomeInstance:
                break;
            case WithoutInstance::StartInBackground:
                if (BackgroundStart::run(QCoreApplication::applicationFilePath(), instance))
                    status = ask();
                else
                    err << "tuckaway: Tuckaway could not be started\n";
                status = status.value_or(CommandLineClient::NothingDone);
                break;
            case WithoutInstance::WriteDataFile: {
                NookStore store;
                status = CommandLineClient::carryOutHere(request, store, out, err);
                break;
            }
            case WithoutInstance::NotRunning:
                err << "tuckaway: Tuckaway is not running\n";
                status = CommandLineClient::NothingDone;
                break;
            case WithoutInstance::NoDisplay:
                err << "tuckaway: Tuckaway is not running and cannot start without a display\n";
                status = CommandLineClient::NothingDone;
                break;
            }
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return status;
}
} // namespace

int main(int argc, char** argv) {
    FreeMemory::keepLargeBlocksApart();
    setNames();
    CommandLine::Request request; // without arguments: start, or have the running instance act
    // A start without arguments (the one at login) does not ask the bus first whether an
    // instance runs: owning the name below finds out as well, and the icon docks sooner.
    if (argc > 1 || !hasDisplay()) {
        if (const std::optional<int> status = runAsClient(argc, argv, request))
            return *status;
    }

    preferXcb(argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window's, down to the tray icon's own; the ones window lists show take the whole icon.
    QApplication::setWindowIcon(AppIcon::smallIcon());

    ApplicationService service;
    if (service.registerOnBus() == ApplicationService::Registration::AlreadyRunning) {
        // Another start won the race for the name, or a start without arguments found it taken.
        QTextStream out(stdout);
        QTextStream err(stderr);
        return CommandLineClient::call(request, RemoteInstance(QDBusConnection::sessionBus()), out, err);
    }

    Localization::install();

    AppDelegate delegate; // reads the data while the tray icon docks
    // Calls on the bus are served from the event loop: one that needs the nooks before the
    // reading is done waits for it.
    QObject::connect(&delegate, &AppDelegate::storeMade, &service, [&] { service.attach(delegate.store()); });
    QObject::connect(&service, &ApplicationService::storeNeeded, &delegate, [&] { delegate.store(); });
    XdgAutostartLoginItem loginItem;
    // Keys that show and hide the panel from anywhere, where the session has a way to them;
    // taken once launch has finished, after the icon.
    std::unique_ptr<GlobalShortcut> shortcut;
    QObject::connect(&delegate, &AppDelegate::launched, &delegate, [&] {
        shortcut = GlobalShortcut::createForSession();
        if (!shortcut)
            return;
        QObject::connect(shortcut.get(), &GlobalShortcut::activated, &delegate,
                         [&delegate] { delegate.perform(AppAction::TogglePanel); });
        // Later changes come from the settings window, which binds before it stores.
        shortcut->bind(delegate.preferences().globalShortcut());
        delegate.trayIcon()->followShortcut(shortcut.get());
    });
    QObject::connect(&delegate, &AppDelegate::settingsRequested, &delegate, [&] {
        ThemeIcons::ensureTheme();
        delegate.keepAbovePanel(
            SettingsView::showSingle(loginItem, delegate.preferences(), shortcut.get(), AppIcon::icon()));
    });
    QObject::connect(&service, &ApplicationService::actionRequested, &delegate, &AppDelegate::perform);
    QObject::connect(&service, &ApplicationService::openRequested, &delegate, &AppDelegate::open);
    // Before the bus connection goes: what was handed over is written, and every caller answered.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::finish);

    // Launch finishes once the icon is drawn, or as soon as a request (here or on the bus)
    // needs the panel.
    switch (request.action) {
    case Action::Add: // no bus to hand them over through: this process serves on its own
        delegate.store().handOvers().addUris(request.uris, StoreCommands::targetFor(request.nook));
        break;
    case Action::Launcher: // what a click on the launcher, or a drop on it, asks for
        if (request.uris.isEmpty())
            delegate.perform(AppAction::ShowPanel);
        else
            delegate.open(request.uris);
        break;
    case Action::Show:
    case Action::Toggle:
        delegate.perform(AppAction::ShowPanel);
        break;
    case Action::Settings:
        delegate.perform(AppAction::OpenSettings);
        break;
    default:
        break;
    }
    return app.exec();
}
