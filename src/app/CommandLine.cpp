#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace CommandLine {

// The texts in the session's language (when its catalog is installed before).
void configure(QCommandLineParser& parser) {
    parser.setApplicationDescription(qtTrId("cli.description"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("nook"), qtTrId("cli.nook"), qtTrId("cli.nook_value")},
        {QStringLiteral("list"), qtTrId("cli.list")},
        {QStringLiteral("export"), qtTrId("cli.export"), qtTrId("cli.file_value")},
        {QStringLiteral("import"), qtTrId("cli.import"), qtTrId("cli.file_value")},
        {QStringLiteral("json"), qtTrId("cli.json")},
        {QStringLiteral("toggle"), qtTrId("cli.toggle")},
        {QStringLiteral("show"), qtTrId("cli.show")},
        {QStringLiteral("settings"), qtTrId("cli.settings")},
        {QStringLiteral("quit"), qtTrId("cli.quit")},
    });
    // For shell completion (names that may hold any character, quoted by the shell, not by
    // us), the desktop entry and the bus service: not for typing.
    for (const auto& [name, description] :
         {std::pair{QStringLiteral("nook-names"),
                    QStringLiteral("Print the nooks' names, each ended by NUL.")},
          std::pair{QStringLiteral("launcher"), QStringLiteral("Start or show as a launcher does.")},
          std::pair{QStringLiteral("background"), QStringLiteral("Start without showing anything.")}}) {
        QCommandLineOption option(name, description);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("files"), qtTrId("cli.files"),
                                 QStringLiteral("[FILE|URI...]"));
}

Request parse(const QStringList& arguments, const QString& workingFolder) {
    QCommandLineParser parser;
    configure(parser);
    Request request;
    const auto bad = [&](const QString& error) {
        request.action = Action::BadUsage;
        request.error = error;
        return request;
    };
    if (!parser.parse(arguments))
        return bad(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        request.action = Action::Help;
        return request;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        request.action = Action::Version;
        return request;
    }
    const QStringList files = parser.positionalArguments();
    static const QList<std::pair<QString, Action>> actions{
        {QStringLiteral("list"), Action::List},         {QStringLiteral("nook-names"), Action::List},
        {QStringLiteral("toggle"), Action::Toggle},     {QStringLiteral("show"), Action::Show},
        {QStringLiteral("settings"), Action::Settings}, {QStringLiteral("quit"), Action::Quit},
        {QStringLiteral("launcher"), Action::Launcher}, {QStringLiteral("background"), Action::Background},
        {QStringLiteral("export"), Action::Export},     {QStringLiteral("import"), Action::Import},
    };
    QStringList chosen;
    for (const auto& [name, action] : actions) {
        if (parser.isSet(name)) {
            chosen << QLatin1String("--") + name;
            request.action = action;
        }
    }
    if (chosen.size() > 1)
        return bad(QStringLiteral("%1 cannot be combined").arg(chosen.join(QLatin1String(" and "))));
    const bool takesFiles = request.action == Action::Launcher;
    const bool takesNook = request.action == Action::Export;
    if (!chosen.isEmpty() &&
        ((!files.isEmpty() && !takesFiles) || (parser.isSet(QStringLiteral("nook")) && !takesNook)))
        return bad(QStringLiteral("%1 takes no files").arg(chosen.first()));
    if (request.action == Action::Export || request.action == Action::Import) {
        const QString file = parser.value(chosen.first().mid(2));
        if (file.isEmpty())
            return bad(QStringLiteral("%1 needs a file").arg(chosen.first()));
        request.file = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(file));
    }
    request.namesOnly = parser.isSet(QStringLiteral("nook-names"));
    if (parser.isSet(QStringLiteral("json")) && (request.action != Action::List || request.namesOnly))
        return bad(QStringLiteral("--json goes with --list"));
    if (parser.isSet(QStringLiteral("nook"))) {
        request.nook = parser.value(QStringLiteral("nook")).trimmed();
        if (request.nook.isEmpty())
            return bad(QStringLiteral("--nook needs a name"));
        if (request.nook.size() > kMaxNameLength)
            return bad(QStringLiteral("a nook's name has at most %1 characters").arg(kMaxNameLength));
        if (files.isEmpty() && !takesNook)
            return bad(QStringLiteral("--nook needs files to add"));
    }
    request.json = parser.isSet(QStringLiteral("json"));
    if ((chosen.isEmpty() || takesFiles) && !files.isEmpty()) {
        if (chosen.isEmpty())
            request.action = Action::Add;
        request.uris = toUris(files, workingFolder);
        if (request.uris.isEmpty())
            return bad(QStringLiteral("no file given"));
    }
    return request;
}

QStringList toUris(const QStringList& positional, const QString& workingFolder) {
    // "scheme://..." or "file:..." are URIs; anything else, even "a:b.txt", is a path.
    static const QRegularExpression uri(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://|file:)"));
    QStringList uris;
    for (const QString& argument : positional) {
        if (argument.isEmpty())
            continue;
        if (uri.match(argument).hasMatch()) {
            QUrl url(argument);
            // "file:notes.txt" and "file:../x" are relative to the caller's folder, not ours.
            const QString path = url.path(QUrl::FullyDecoded);
            if (url.scheme() == QLatin1String("file") && url.authority().isEmpty() && !path.isEmpty() &&
                !path.startsWith(QLatin1Char('/')))
                url = QUrl::fromLocalFile(QDir::cleanPath(QDir(workingFolder).absoluteFilePath(path)));
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
