#pragma once

#include <QCommandLineParser>
#include <QStringList>

// `tuckaway [OPTION] [FILE|URI...]`: what the user asked for, checked before anything
// needs a display or the bus.
namespace CommandLine {

enum class Action {
    Start, // no option: start, or open and close the panel of the running instance
    Add,   // files, optionally into a named nook
    List,  // print the nooks
    Toggle,
    Show,
    Settings,
    Quit,
    Help,
    Version,
    BadUsage, // `error` says why
};

struct Request {
    Action action = Action::Start;
    QStringList uris;
    QString nook; // empty: the current nook
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
