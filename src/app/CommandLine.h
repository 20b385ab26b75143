#pragma once

#include <QCommandLineParser>
#include <QStringList>

// `tuckaway [OPTION] [FILE|URI...]`: what the user asked for, checked before anything
// needs a display or the bus.
namespace CommandLine {

enum class Action {
    Start,      // no option: start, or open and close the panel of the running instance
    Add,        // files, optionally into a named nook, without showing the panel
    Launcher,   // as the desktop's launchers start us: Start without files; with files, show the
                // panel and add them to the current nook
    Background, // become the instance, showing nothing; nothing at all when one runs
    List,       // print the nooks
    Export,     // write the nooks (or the one of --nook) into `file`
    Import,     // add the nooks of `file`
    Toggle,
    Show,
    Settings,
    Quit,
    Help,
    Version,
    BadUsage, // `error` says why
};

// A nook's name, as the bus takes it.
constexpr int kMaxNameLength = 1000;

struct Request {
    Action action = Action::Start;
    QStringList uris;
    QString nook; // empty: the current nook (Add), every nook (Export)
    QString file; // Export, Import: an absolute path
    bool json = false;
    bool namesOnly = false; // List: only the nooks' names, each ended by a NUL (for completion)
    QString error;
};

void configure(QCommandLineParser& parser);

// `arguments` includes the program name; relative paths are taken from `workingFolder`.
Request parse(const QStringList& arguments, const QString& workingFolder);

// The positional arguments as URIs: URIs stay as they are; paths and relative "file:"
// forms, taken from `workingFolder`, become file URIs.
QStringList toUris(const QStringList& positional, const QString& workingFolder);

} // namespace CommandLine
