#include "app/AppDelegate.h"
#include "app/AppIcon.h"
#include "app/ApplicationService.h"
#include "app/CommandLine.h"
#include "app/CommandLineClient.h"
#include "app/PanelController.h"
#include "app/RemoteInstance.h"
#include "app/StoreCommands.h"
#include "model/NookStore.h"
#include "platform/GlobalShortcut.h"
#include "platform/Localization.h"
#include "platform/Preferences.h"
#include "platform/xdg/ThemeIcons.h"
#include "platform/xdg/XdgAutostartLoginItem.h"
#include "settings/SettingsView.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

using CommandLine::Action;

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

QList<QUrl> urlsOf(const QStringList& uris) {
    QList<QUrl> urls;
    for (const QString& uri : uris)
        urls << QUrl(uri);
    return urls;
}

QStringList urisOf(const QList<QUrl>& urls) {
    QStringList uris;
    for (const QUrl& url : urls)
        uris << QString::fromUtf8(url.toEncoded());
    return uris;
}

int reportHandOver(const HandOverResult& result) {
    QTextStream err(stderr);
    return CommandLineClient::reportHandOver(urisOf(result.duplicates), urisOf(result.rejected),
                                             !result.added.isEmpty(), err);
}

// Everything that needs no panel of our own: printing, a running instance, and adding
// files where no display is. Nothing when this process is to become the instance.
std::optional<int> runWithoutDisplay(int argc, char** argv, CommandLine::Request& request) {
    QCoreApplication app(argc, argv);
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
        const RemoteInstance instance(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name));
        status = CommandLineClient::run(request, instance, out, err);
    }
    QDBusConnection::disconnectFromBus(name);
    if (status || hasDisplay())
        return status;
    if (request.action == Action::Add) {
        Localization::install(); // a first nook gets its name
        NookStore store;
        return reportHandOver(StoreCommands::handOver(store, urlsOf(request.uris), request.nook));
    }
    err << "tuckaway: Tuckaway is not running and cannot start without a display\n";
    return CommandLineClient::NothingDone;
}
} // namespace

int main(int argc, char** argv) {
    setNames();
    CommandLine::Request request;
    if (const std::optional<int> status = runWithoutDisplay(argc, argv, request))
        return *status;

    preferXcb(argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(AppIcon::icon()); // every window, the settings too

    ApplicationService service;
    if (service.registerOnBus() == ApplicationService::Registration::AlreadyRunning) {
        // Another start won the race for the name.
        QTextStream out(stdout);
        QTextStream err(stderr);
        const RemoteInstance instance(QDBusConnection::sessionBus());
        return CommandLineClient::run(request, instance, out, err).value_or(CommandLineClient::NothingDone);
    }

    Localization::install();
    ThemeIcons::ensureTheme();

    AppDelegate delegate;
    XdgAutostartLoginItem loginItem;
    // Keys that show and hide the panel from anywhere, where the session has a way to them.
    const std::unique_ptr<GlobalShortcut> shortcut = GlobalShortcut::createForSession();
    if (shortcut) {
        QObject::connect(shortcut.get(), &GlobalShortcut::activated, &delegate, [&delegate] {
            if (delegate.panelController())
                delegate.panelController()->toggle();
        });
        QObject::connect(&delegate.preferences(), &Preferences::globalShortcutChanged, shortcut.get(),
                         &GlobalShortcut::bind);
        shortcut->bind(delegate.preferences().globalShortcut());
    }
    delegate.setOpenSettings([&delegate, &loginItem, &shortcut] {
        SettingsView::showSingle(loginItem, delegate.preferences(), shortcut.get());
    });
    QObject::connect(&service, &ApplicationService::activateRequested, &delegate, &AppDelegate::reopen);
    QObject::connect(&service, &ApplicationService::openRequested, &delegate, &AppDelegate::open);
    QObject::connect(&service, &ApplicationService::actionRequested, &delegate, &AppDelegate::activateAction);
    service.setHandOverHandler([&delegate](const QList<QUrl>& urls, const QString& nook) {
        const HandOverResult result = StoreCommands::handOver(delegate.store(), urls, nook);
        if (!result.added.isEmpty() && delegate.panelController())
            delegate.panelController()->show();
        return ApplicationService::HandOver{urisOf(result.added), urisOf(result.duplicates),
                                            urisOf(result.rejected)};
    });
    service.setListHandler([&delegate] { return StoreCommands::listing(delegate.store()); });

    if (request.action == Action::Add) {
        // Before launch has finished: no panel; a start that adds nothing ends here.
        const int status =
            reportHandOver(StoreCommands::handOver(delegate.store(), urlsOf(request.uris), request.nook));
        if (status != CommandLineClient::Done)
            return status;
    }
    // Launch finishes before the event loop runs, so a bus call that started this process
    // (a launcher's Activate or Open) finds the panel ready.
    delegate.applicationDidFinishLaunching();
    if (request.action == Action::Show || request.action == Action::Toggle)
        delegate.activateAction(QStringLiteral("show"));
    else if (request.action == Action::Settings)
        delegate.activateAction(QStringLiteral("settings"));
    return app.exec();
}
