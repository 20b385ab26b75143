#include "AppDelegate.h"
#include "ApplicationService.h"
#include "CommandLine.h"
#include "Localization.h"
#include "SettingsView.h"
#include "ThemeIcons.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

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

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}
} // namespace

int main(int argc, char** argv) {
    setNames();
    if (CommandLine::onlyPrints(argumentsOf(argc, argv))) {
        // Help, version and mistakes need no display.
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        CommandLine::configure(parser);
        parser.process(app);
        return 0;
    }

    preferXcb(argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    CommandLine::configure(parser);
    parser.process(app);
    const QStringList uris = CommandLine::toUris(parser.positionalArguments(), QDir::currentPath());

    ApplicationService service;
    switch (service.registerOnBus()) {
    case ApplicationService::Registration::AlreadyRunning:
        if (service.forward(uris))
            return 0;
        std::fprintf(stderr, "tuckaway: the running instance did not answer\n");
        return 1;
    case ApplicationService::Registration::NoBus:
    case ApplicationService::Registration::Owner:
        break;
    }

    Localization::install();
    ThemeIcons::ensureTheme();

    AppDelegate delegate;
    delegate.setOpenSettings([] { SettingsView::showSingle(); });
    QObject::connect(&service, &ApplicationService::activateRequested, &delegate, &AppDelegate::reopen);
    QObject::connect(&service, &ApplicationService::openRequested, &delegate, &AppDelegate::open);
    QObject::connect(&service, &ApplicationService::actionRequested, &delegate, &AppDelegate::activateAction);

    if (!uris.isEmpty()) {
        QList<QUrl> urls;
        for (const QString& uri : uris)
            urls << QUrl(uri);
        delegate.open(urls); // before launch has finished: no panel, the files are added all the same
    }
    // Launch finishes before the event loop runs, so a bus call that started this process
    // (a launcher's Activate or Open) finds the panel ready.
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
