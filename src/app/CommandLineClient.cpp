#include "app/CommandLineClient.h"

#include "app/ApplicationService.h"
#include "app/RemoteInstance.h"

#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace CommandLineClient {
namespace {

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

std::optional<int> notRunning(QTextStream& err) {
    err << "tuckaway: Tuckaway is not running\n";
    return NothingDone;
}

} // namespace

std::optional<int> run(const CommandLine::Request& request, const RemoteInstance& instance, QTextStream& out,
                       QTextStream& err) {
    using CommandLine::Action;
    if (!instance.isRunning()) {
        if (request.action == Action::List || request.action == Action::Quit)
            return notRunning(err);
        return std::nullopt;
    }

    const QString own = QLatin1String(ApplicationService::kOwnInterface);
    QDBusMessage reply;
    switch (request.action) {
    case Action::Start:
        reply = instance.call(QLatin1String(ApplicationService::kInterface), QStringLiteral("Activate"),
                              {QVariantMap()});
        break;
    case Action::Add:
        reply = instance.call(own, QStringLiteral("Add"), {request.uris, request.nook});
        break;
    case Action::List:
        reply = instance.call(own, QStringLiteral("List"));
        break;
    case Action::Toggle:
        reply = instance.call(own, QStringLiteral("Toggle"));
        break;
    case Action::Show:
        reply = instance.call(own, QStringLiteral("Show"));
        break;
    case Action::Settings:
        reply = instance.call(own, QStringLiteral("Settings"));
        break;
    case Action::Quit:
        reply = instance.call(own, QStringLiteral("Quit"));
        break;
    case Action::Help:
    case Action::Version:
    case Action::BadUsage:
        return BadUsage;
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // Ended between the check and the call: a start with its own intent may take over.
        if (!instance.isRunning() && request.action != Action::List && request.action != Action::Quit)
            return std::nullopt;
        err << "tuckaway: the running instance did not answer";
        if (!reply.errorMessage().isEmpty())
            err << " (" << reply.errorMessage() << ")";
        err << "\n";
        return NothingDone;
    }
    const QVariantList values = reply.arguments();
    if (request.action == Action::List) {
        const QString json = values.value(0).toString();
        out << (request.json ? json : request.namesOnly ? nookNames(json) : plainListing(json));
        return Done;
    }
    if (request.action == Action::Add) {
        return reportHandOver(values.value(1).toStringList(), values.value(2).toStringList(),
                              !values.value(0).toStringList().isEmpty(), err);
    }
    return Done;
}

int reportHandOver(const QStringList& duplicates, const QStringList& rejected, bool anyAdded,
                   QTextStream& err) {
    for (const QString& uri : duplicates)
        err << "tuckaway: not added, already in the nook: " << shown(uri) << "\n";
    for (const QString& uri : rejected)
        err << "tuckaway: not added, no such local file: " << shown(uri) << "\n";
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
