#include "app/ApplicationService.h"

#include "app/StoreCommands.h"
#include "application_adaptor.h"
#include "model/BackgroundWork.h"
#include "model/HandOverQueue.h"
#include "model/NookStore.h"
#include "platform/LogCategories.h"
#include "tuckaway_adaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace {

QStringList urisOf(const QList<QUrl>& urls) {
    QStringList uris;
    uris.reserve(urls.size());
    for (const QUrl& url : urls)
        uris << QString::fromUtf8(url.toEncoded());
    return uris;
}

// The URIs that parse; the others are given back in `unreadable`.
QList<QUrl> urlsOf(const QStringList& uris, QStringList* unreadable = nullptr) {
    QList<QUrl> urls;
    urls.reserve(uris.size());
    for (const QString& uri : uris) {
        const QUrl url(uri, QUrl::StrictMode);
        if (url.isValid())
            urls << url;
        else if (unreadable)
            *unreadable << uri;
    }
    return urls;
}

} // namespace

ApplicationService::ApplicationService(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {
    new ApplicationAdaptor(this);
    new TuckawayAdaptor(this);
}

ApplicationService::~ApplicationService() {
    if (!m_registered)
        return;
    m_bus.unregisterObject(QLatin1String(kObjectPath));
    m_bus.unregisterService(QLatin1String(kServiceName));
}

ApplicationService::Registration ApplicationService::registerOnBus() {
    if (!m_bus.isConnected() || !m_bus.interface()) {
        qCWarning(lcDbus) << "no session bus:" << m_bus.lastError().message();
        return Registration::NoBus;
    }
    // The object is there before the name, so a call that follows the name finds it.
    if (!m_bus.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcDbus) << "could not serve" << kObjectPath << ":" << m_bus.lastError().message();
        return Registration::NoBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_bus.interface()->registerService(QLatin1String(kServiceName),
                                           QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_registered = true;
        return Registration::Owner;
    }
    m_bus.unregisterObject(QLatin1String(kObjectPath));
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered)
        return Registration::AlreadyRunning;
    qCWarning(lcDbus) << "could not own" << kServiceName << ":" << reply.error().message();
    return Registration::NoBus;
}

void ApplicationService::attach(NookStore& store) {
    m_store = &store;
    m_waiter = std::make_unique<HandOverWaiter>(store);
    m_transfers = std::make_unique<NookTransfers>(store);
}

bool ApplicationService::haveStore() {
    if (!m_store)
        emit storeNeeded();
    if (!m_store)
        sendErrorReply(QDBusError::Failed, QStringLiteral("Tuckaway has no nooks to act on yet"));
    return m_store != nullptr;
}

// ---- org.freedesktop.Application

void ApplicationService::Activate(const QVariantMap&) {
    emit actionRequested(AppAction::TogglePanel);
}

void ApplicationService::Open(const QStringList& uris, const QVariantMap&) {
    emit openRequested(uris);
}

void ApplicationService::ActivateAction(const QString& actionName, const QVariantList&, const QVariantMap&) {
    // The desktop entry's actions; names are exact.
    if (actionName == QLatin1String("settings"))
        emit actionRequested(AppAction::OpenSettings);
    else if (actionName == QLatin1String("quit"))
        emit actionRequested(AppAction::Quit);
}

// ---- org.tuckaway.Tuckaway

QString ApplicationService::Version() {
    return QCoreApplication::applicationVersion();
}

QStringList ApplicationService::Add(const QStringList& uris, const QString& nook, QStringList&,
                                    QStringList&) {
    const QString name = nook.trimmed();
    if (name.size() > kMaxNameLength) {
        sendErrorReply(QDBusError::InvalidArgs,
                       QStringLiteral("a nook's name has at most %1 characters").arg(kMaxNameLength));
        return {};
    }
    if (uris.size() > kMaxUris) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("at most %1 files in one call").arg(kMaxUris));
        return {};
    }
    if (!haveStore())
        return {};
    QStringList unreadable;
    const QList<QUrl> urls = urlsOf(uris, &unreadable);
    setDelayedReply(true);
    const HandOverQueue::Ticket ticket = m_store->handOvers().add(urls, StoreCommands::targetFor(name));
    m_waiter->wait({ticket}, [this, call = message(), unreadable](const QList<HandOverResult>& results,
                                                                  const QString& failure) {
        const HandOverResult& result = results.first();
        if (!failure.isEmpty())
            m_bus.send(call.createErrorReply(QLatin1String(kNotSaved), failure));
        else
            m_bus.send(call.createReply(
                {urisOf(result.added), urisOf(result.duplicates), urisOf(result.rejected) + unreadable}));
    });
    return {};
}

std::optional<QDBusMessage> ApplicationService::refusal(const QDBusMessage& call,
                                                        const NookTransfers::Outcome& outcome) {
    switch (outcome.status) {
    case NookTransfers::Outcome::Status::Done:
        return std::nullopt;
    case NookTransfers::Outcome::Status::BadRequest:
        return call.createErrorReply(QDBusError::InvalidArgs, outcome.reason);
    case NookTransfers::Outcome::Status::NotSaved:
        break;
    }
    return call.createErrorReply(QLatin1String(kNotSaved), outcome.reason);
}

uint ApplicationService::Export(const QString& file, const QString& nook, uint&) {
    if (!haveStore())
        return 0;
    setDelayedReply(true);
    m_transfers->exportTo(
        file, nook.trimmed(), [this, call = message()](const NookTransfers::Outcome& outcome) {
            m_bus.send(refusal(call, outcome)
                           .value_or(call.createReply({uint(outcome.nooks), uint(outcome.items)})));
        });
    return 0;
}

QStringList ApplicationService::Import(const QString& file, QStringList&, QStringList&, uint&) {
    if (!haveStore())
        return {};
    setDelayedReply(true);
    m_transfers->importFrom(file, [this, call = message()](const NookTransfers::Outcome& outcome) {
        m_bus.send(refusal(call, outcome)
                       .value_or(call.createReply({urisOf(outcome.added), urisOf(outcome.duplicates),
                                                   urisOf(outcome.rejected), uint(outcome.nooks)})));
    });
    return {};
}

QStringList ApplicationService::NookNames() {
    if (!haveStore())
        return {};
    return m_store->groupNames();
}

QString ApplicationService::List() {
    if (!haveStore())
        return {};
    setDelayedReply(true);
    // Looking for moved targets may take long: never on the main thread.
    const QDBusMessage call = message();
    if (BackgroundWork::stopped()) {
        m_bus.send(call.createErrorReply(QDBusError::Failed, QStringLiteral("Tuckaway is quitting")));
        return {};
    }
    BackgroundWork::run(
        [bus = m_bus, call, groups = m_store->groups()] {
            bus.send(call.createReply(StoreCommands::listing(groups)));
        },
        BackgroundWork::UserWaits);
    return {};
}

void ApplicationService::Show() {
    emit actionRequested(AppAction::ShowPanel);
}

void ApplicationService::Toggle() {
    emit actionRequested(AppAction::TogglePanel);
}

void ApplicationService::Settings() {
    emit actionRequested(AppAction::OpenSettings);
}

void ApplicationService::Quit() {
    emit actionRequested(AppAction::Quit);
}
