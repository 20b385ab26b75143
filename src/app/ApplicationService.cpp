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
    connect(&store.handOvers(), &HandOverQueue::finished, this, &ApplicationService::handOverFinished);
    connect(&store, &NookStore::saved, this, [this](quint64 generation) { answerSaved(generation, {}); });
    connect(&store, &NookStore::saveFailed, this,
            [this](const QString& reason, quint64 generation) { answerSaved(generation, reason); });
}

// ---- org.freedesktop.Application

void ApplicationService::Activate(const QVariantMap&) {
    emit actionRequested(AppAction::TogglePanel);
}

void ApplicationService::Open(const QStringList& uris, const QVariantMap&) {
    emit openRequested(urlsOf(uris));
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
    Waiting waiting;
    const QList<QUrl> urls = urlsOf(uris, &waiting.unreadable);
    setDelayedReply(true);
    waiting.call = message();
    m_handingOver.insert(m_store->handOvers().add(urls, StoreCommands::targetFor(name)), waiting);
    return {};
}

QString ApplicationService::List() {
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

// ---- answering once on disk

void ApplicationService::handOverFinished(quint64 ticket, const HandOverResult& result) {
    auto found = m_handingOver.find(ticket);
    if (found == m_handingOver.end())
        return; // not ours: a drop or a launcher's files
    Waiting waiting = *found;
    m_handingOver.erase(found);
    waiting.result = result;
    if (result.generation <= m_store->savedGeneration())
        answer(waiting, {}); // nothing to write, or written already
    else
        m_writing << waiting;
}

void ApplicationService::answerSaved(quint64 generation, const QString& failure) {
    // A write holds every change made before it.
    for (qsizetype i = 0; i < m_writing.size();) {
        if (m_writing.at(i).result.generation <= generation)
            answer(m_writing.takeAt(i), failure);
        else
            ++i;
    }
}

void ApplicationService::answer(const Waiting& waiting, const QString& failure) {
    const HandOverResult& result = waiting.result;
    if (!failure.isEmpty()) {
        m_bus.send(waiting.call.createErrorReply(QLatin1String(kNotSaved), failure));
        return;
    }
    m_bus.send(waiting.call.createReply(
        {urisOf(result.added), urisOf(result.duplicates), urisOf(result.rejected) + waiting.unreadable}));
}
