#include "CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace CommandLine {

void configure(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Keeps your frequently used files, folders and applications one click away.\n"
                       "Without arguments it starts, or opens and closes the panel when it already runs.\n"
                       "With files, they are added to the current nook."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Files, folders or URIs to add."),
                                 QStringLiteral("[FILE|URI...]"));
}

bool onlyPrints(const QStringList& arguments) {
    QCommandLineParser parser;
    configure(parser);
    if (!parser.parse(arguments))
        return true;
    return parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")) ||
           parser.isSet(QStringLiteral("version"));
}

QStringList toUris(const QStringList& positional, const QString& workingFolder) {
    // "scheme://..." or "file:..." are URIs; anything else, even "a:b.txt", is a path.
    static const QRegularExpression uri(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://|file:)"));
    QStringList uris;
    for (const QString& argument : positional) {
        if (argument.isEmpty())
            continue;
        if (uri.match(argument).hasMatch()) {
            const QUrl url(argument);
            if (url.isValid())
                uris << QString::fromUtf8(url.toEncoded());
            continue;
        }
        const QString path = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(argument));
        uris << QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
    }
    return uris;
}

} // namespace CommandLine
