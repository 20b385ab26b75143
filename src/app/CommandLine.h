#pragma once

#include <QCommandLineParser>
#include <QStringList>

// `tuckaway [FILE|URI...]`, with --help and --version as on any Linux program.
namespace CommandLine {

void configure(QCommandLineParser& parser);

// True when the arguments only ask for text (help, version) or hold an error, so the
// program prints and ends without ever needing a display.
bool onlyPrints(const QStringList& arguments);

// The positional arguments as URIs: URIs stay as they are; paths, relative ones taken
// from `workingFolder`, become file URIs.
QStringList toUris(const QStringList& positional, const QString& workingFolder);

} // namespace CommandLine
