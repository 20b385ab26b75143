#include "app/CommandLineClient.h"

#include "app/ApplicationService.h"
#include "app/RemoteInstance.h"
#include "app/StoreCommands.h"
#include "model/NookStore.h"

#include <QDBusMessage>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace CommandLineClient {
namespace {

QStringList urisOf(const QList<QUrl>& urls) {
    QStringList uris;
    for (const QUrl& url : urls)
        uris << QString::fromUtf8(url.toEncoded());
    return uris;
}

QString shown(const QString& uri) {
    const QUrl url(uri);
    return url.isLocalFile() ? url.toLocalFile() : uri;
}

// A name as the terminal may show it: control characters written out, never sent.
QString escaped(const QString& name) {
    QString text;
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code == u'\\')
            text += QLatin1String("\\\\");
        else if (code == u'\t')
            text += QLatin1String("\\t");
        else if (code == u'\n')
            text += QLatin1String("\\n");
        else if (code == u'\r')
            text += QLatin1String("\\r");
        else if (code < 0x20 || code == 0x7f)
            text += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else if (code >= 0x80 && code < 0xa0)
            text += QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

} // namespace

WithoutInstance withoutInstance(CommandLine::Action action, bool hasDisplay, bool hasBus) {
    using CommandLine::Action;
    switch (action) {
    case Action::List:
    case Action::Quit:
        return WithoutInstance::NotRunning;
    case Action::Export:
    case Action::Import:
        return WithoutInstance::WriteDataFile;
    case Action::Add:
        if (!hasDisplay)
            return WithoutInstance::WriteDataFile;
        [[fallthrough]];
    case Action::Show:
    case Action::Toggle:
    case Action::Settings:
        if (!hasDisplay)
            return WithoutInstance::NoDisplay;
        // Without a bus there is nobody to ask: this process serves on its own.
        return hasBus ? WithoutInstance::StartInBackground : WithoutInstance::BecomeInstance;
    default:
        return WithoutInstance::BecomeInstance;
    }
}

namespace {

QDBusMessage send(const CommandLine::Request& request, const RemoteInstance& instance,
                  const QStringList& uris) {
    using CommandLine::Action;
    const QString own = QLatin1String(ApplicationService::kOwnInterface);
    const QString launch = QLatin1String(ApplicationService::kInterface);
    switch (request.action) {
    case Action::Start:
    case Action::Background:
        return instance.call(launch, QStringLiteral("Activate"), {QVariantMap()});
    case Action::Launcher:
        if (uris.isEmpty())
            return instance.call(launch, QStringLiteral("Activate"), {QVariantMap()});
        return instance.call(launch, QStringLiteral("Open"), {uris, QVariantMap()});
    case Action::Add:
        return instance.call(own, QStringLiteral("Add"), {uris, request.nook});
    case Action::List:
        return instance.call(own, QStringLiteral("List"));
    case Action::Export:
        return instance.call(own, QStringLiteral("Export"), {request.file, request.nook});
    case Action::Import:
        return instance.call(own, QStringLiteral("Import"), {request.file});
    case Action::Toggle:
        return instance.call(own, QStringLiteral("Toggle"));
    case Action::Show:
        return instance.call(own, QStringLiteral("Show"));
    case Action::Settings:
        return instance.call(own, QStringLiteral("Settings"));
    case Action::Quit:
        return instance.call(own, QStringLiteral("Quit"));
    case Action::Help:
    case Action::Version:
    case Action::BadUsage:
        break;
    }
    return {};
}

// A reply to Export or Import as the outcome it tells of.
NookTransfers::Outcome transferOutcome(const QDBusMessage& reply) {
    using Status = NookTransfers::Outcome::Status;
    NookTransfers::Outcome outcome;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        outcome.reason = reply.errorMessage();
        if (reply.errorName() == QLatin1String(ApplicationService::kNotSaved))
            outcome.status = Status::NotSaved;
        else if (reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.InvalidArgs"))
            outcome.reason = QStringLiteral("the running instance did not answer (%1)").arg(outcome.reason);
        if (outcome.status == Status::Done)
            outcome.status = Status::BadRequest;
        return outcome;
    }
    const QVariantList values = reply.arguments();
    if (values.size() == 2) { // Export
        outcome.nooks = int(values.at(0).toUInt());
        outcome.items = int(values.at(1).toUInt());
        return outcome;
    }
    for (const auto& [index, list] :
         {std::pair{0, &outcome.added}, {1, &outcome.duplicates}, {2, &outcome.rejected}}) {
        for (const QString& uri : values.value(index).toStringList())
            *list << QUrl(uri);
    }
    outcome.nooks = int(values.value(3).toUInt());
    return outcome;
}

} // namespace

int call(const CommandLine::Request& request, const RemoteInstance& instance, QTextStream& out,
         QTextStream& err) {
    using CommandLine::Action;
    if (request.action == Action::Background)
        return Done; // one runs already
    // The instance takes so many files per call; each part answers once it is on disk.
    QStringList added, duplicates, rejected;
    qsizetype next = 0;
    do {
        const QStringList part = request.uris.mid(next, ApplicationService::kMaxUris);
        next += part.size();
        const QDBusMessage reply = send(request, instance, part);
        if (request.action == Action::Export || request.action == Action::Import)
            return reportTransfer(request, transferOutcome(reply), out, err);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            if (reply.errorName() == QLatin1String(ApplicationService::kNotSaved))
                err << "tuckaway: added, but the data file could not be written: " << reply.errorMessage()
                    << "\n";
            else if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.InvalidArgs"))
                err << "tuckaway: " << reply.errorMessage() << "\n";
            else
                err << "tuckaway: the running instance did not answer"
                    << (reply.errorMessage().isEmpty() ? QString()
                                                       : QStringLiteral(" (%1)").arg(reply.errorMessage()))
                    << "\n";
            return NothingDone;
        }
        const QVariantList values = reply.arguments();
        if (request.action == Action::List) {
            const QString json = values.value(0).toString();
            out << (request.json ? json : request.namesOnly ? nookNames(json) : plainListing(json));
            return Done;
        }
        if (request.action != Action::Add)
            return Done;
        added += values.value(0).toStringList();
        duplicates += values.value(1).toStringList();
        rejected += values.value(2).toStringList();
    } while (next < request.uris.size());
    if (!request.nook.trimmed().isEmpty()) {
        // Asked apart, so that Add answers as it always has.
        const QDBusMessage names =
            instance.call(QLatin1String(ApplicationService::kOwnInterface), QStringLiteral("NookNames"));
        if (names.type() == QDBusMessage::ReplyMessage)
            reportChosenNook(
                StoreCommands::chosenNook(names.arguments().value(0).toStringList(), request.nook), err);
    }
    return reportHandOver(duplicates, rejected, !added.isEmpty(), err);
}

int carryOutHere(const CommandLine::Request& request, NookStore& store, QTextStream& out, QTextStream& err) {
    if (request.action == CommandLine::Action::Add) {
        QList<QUrl> urls;
        for (const QString& uri : request.uris)
            urls << QUrl(uri);
        const HandOverResult result =
            StoreCommands::handOverNow(store, urls, StoreCommands::targetFor(request.nook));
        reportChosenNook(StoreCommands::chosenNook(store.groupNames(), request.nook), err);
        return reportHandOver(urisOf(result.duplicates), urisOf(result.rejected), !result.added.isEmpty(),
                              err);
    }
    NookTransfers transfers(store);
    std::optional<NookTransfers::Outcome> outcome;
    QEventLoop loop;
    const auto done = [&](const NookTransfers::Outcome& result) {
        outcome = result;
        loop.quit();
    };
    if (request.action == CommandLine::Action::Export)
        transfers.exportTo(request.file, request.nook, done);
    else
        transfers.importFrom(request.file, done);
    if (!outcome)
        loop.exec();
    return reportTransfer(request, *outcome, out, err);
}

int reportTransfer(const CommandLine::Request& request, const NookTransfers::Outcome& outcome,
                   QTextStream& out, QTextStream& err) {
    const bool exporting = request.action == CommandLine::Action::Export;
    switch (outcome.status) {
    case NookTransfers::Outcome::Status::Done:
        break;
    case NookTransfers::Outcome::Status::BadRequest:
        err << "tuckaway: " << outcome.reason << "\n";
        return NothingDone;
    case NookTransfers::Outcome::Status::NotSaved:
        err << "tuckaway: "
            << (exporting ? "the export could not be written: "
                          : "added, but the data file could not be written: ")
            << outcome.reason << "\n";
        return NothingDone;
    }
    if (exporting) {
        out << "Exported " << outcome.nooks << " nooks with " << outcome.items << " items to " << request.file
            << "\n";
        return Done;
    }
    reportHandOver(urisOf(outcome.duplicates), urisOf(outcome.rejected), false, err);
    out << "Imported " << outcome.added.size() << " items, " << outcome.nooks << " new nooks; skipped "
        << outcome.duplicates.size() << " already there and " << outcome.rejected.size() << " not found\n";
    return outcome.added.isEmpty() && outcome.nooks == 0 ? NothingDone : Done;
}

void reportChosenNook(const StoreCommands::ChosenNook& chosen, QTextStream& err) {
    if (chosen.alsoMatching.isEmpty())
        return;
    QStringList others;
    for (const QString& name : chosen.alsoMatching)
        others << qtTrId("cli.quoted").arg(escaped(name));
    // One pass over both: a name holding "%2" stays as it is.
    err << "tuckaway: "
        << qtTrId("cli.nook_chosen").arg(escaped(chosen.name), others.join(QLatin1String(", "))) << "\n";
}

int reportHandOver(const QStringList& duplicates, const QStringList& rejected, bool anyAdded,
                   QTextStream& err) {
    for (const QString& uri : duplicates)
        err << "tuckaway: not added, already in the nook: " << shown(uri) << "\n";
    for (const QString& uri : rejected) {
        const QUrl url(uri);
        const bool web = (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
                         !url.host().isEmpty();
        if (url.isLocalFile())
            err << "tuckaway: not added, no such local file: " << shown(uri) << "\n";
        else if (web)
            err << "tuckaway: not added, no link could be made for: " << uri << "\n";
        else
            err << "tuckaway: not added, only files and web pages (http, https) can be added: " << uri
                << "\n";
    }
    return anyAdded ? Done : NothingDone;
}

QString plainListing(const QString& json) {
    QString text;
    const QJsonArray nooks = QJsonDocument::fromJson(json.toUtf8()).array();
    for (const QJsonValue& nook : nooks) {
        text += escaped(nook[QLatin1String("name")].toString()) + QLatin1Char('\n');
        for (const QJsonValue& item : nook[QLatin1String("items")].toArray()) {
            const QJsonValue path = item[QLatin1String("path")];
            text +=
                QLatin1String("  ") + escaped(item[QLatin1String("name")].toString()) + QLatin1Char('\t') +
                (path.isString() ? escaped(path.toString()) : QStringLiteral("missing")) + QLatin1Char('\n');
        }
    }
    return text;
}

QString nookNames(const QString& json) {
    QString text;
    for (const QJsonValue& nook : QJsonDocument::fromJson(json.toUtf8()).array())
        text += nook[QLatin1String("name")].toString() + QChar(0);
    return text;
}

} // namespace CommandLineClient
