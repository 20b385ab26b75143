#include "platform/xdg/ThumbnailerService.h"

#include "platform/LogCategories.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QTimer>

namespace {
const QString kService = QStringLiteral("org.freedesktop.thumbnails.Thumbnailer1");
const QString kPath = QStringLiteral("/org/freedesktop/thumbnails/Thumbnailer1");
constexpr int kStartTimeoutMs = 10000; // the first call may start the service
constexpr int kQueueTimeoutMs = 5000;
} // namespace

ThumbnailerService::ThumbnailerService(QObject* parent)
    : QObject(parent) {}

void ThumbnailerService::request(const QString& uri, const QStringList& mimeTypes, const QString& flavor) {
    const Request request{uri, mimeTypes, flavor};
    switch (m_state) {
    case State::Available:
        route(request);
        break;
    case State::Absent:
        decline({uri});
        break;
    case State::Unknown:
        m_waiting << request;
        askSupported();
        break;
    case State::Asking:
        m_waiting << request;
        break;
    }
}

void ThumbnailerService::askSupported() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) { // a call would never be answered
        m_state = State::Absent;
        for (const Request& request : std::exchange(m_waiting, {}))
            decline({request.uri});
        return;
    }
    m_state = State::Asking;
    bus.connect(kService, kPath, kService, QStringLiteral("Ready"), this, SLOT(onReady(uint, QStringList)));
    bus.connect(kService, kPath, kService, QStringLiteral("Error"), this,
                SLOT(onError(uint, QStringList, int, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("Finished"), this, SLOT(onFinished(uint)));
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetSupported"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kStartTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        const QList<QVariant> arguments = answer->reply().arguments();
        m_state = State::Absent;
        if (answer->isError() || arguments.size() != 2) {
            qCInfo(lcDbus) << "no thumbnailer:" << answer->error().message();
        } else {
            // Pairs of a URI scheme and a type.
            const QStringList schemes = arguments.at(0).toStringList();
            const QStringList types = arguments.at(1).toStringList();
            for (qsizetype i = 0; i < std::min(schemes.size(), types.size()); ++i) {
                if (schemes.at(i) == QLatin1String("file"))
                    m_types.insert(types.at(i));
            }
            m_state = State::Available;
        }
        for (const Request& request : std::exchange(m_waiting, {})) {
            if (m_state == State::Available)
                route(request);
            else
                decline({request.uri});
        }
    });
}

void ThumbnailerService::route(const Request& request) {
    const auto type = std::find_if(request.mimeTypes.cbegin(), request.mimeTypes.cend(),
                                   [this](const QString& name) { return m_types.contains(name); });
    if (type == request.mimeTypes.cend()) {
        decline({request.uri});
        return;
    }
    if (m_batch.isEmpty())
        QTimer::singleShot(0, this, &ThumbnailerService::flush);
    m_batch[request.flavor].append({request.uri, *type});
}

// Told after the asker's call has returned, as every other answer is.
void ThumbnailerService::decline(const QStringList& uris) {
    QMetaObject::invokeMethod(
        this,
        [this, uris] {
            for (const QString& uri : uris)
                emit declined(uri);
        },
        Qt::QueuedConnection);
}

void ThumbnailerService::flush() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (auto it = m_batch.cbegin(); it != m_batch.cend(); ++it) {
        QStringList uris, types;
        for (const auto& [uri, type] : it.value()) {
            uris << uri;
            types << type;
        }
        if (!bus.isConnected()) {
            decline(uris);
            continue;
        }
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Queue"));
        call << uris << types << it.key() << QStringLiteral("default") << 0u;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kQueueTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, uris](QDBusPendingCallWatcher* answer) {
                    answer->deleteLater();
                    if (answer->isError()) {
                        qCInfo(lcDbus) << "the thumbnailer took no request:" << answer->error().message();
                        m_state = State::Unknown; // gone, perhaps: asked again next time
                        decline(uris);
                        return;
                    }
                    QSet<QString>& open = m_handles[answer->reply().arguments().value(0).toUInt()];
                    for (const QString& uri : uris)
                        open.insert(uri);
                });
    }
    m_batch.clear();
}

// The service's signals reach every listener, about others' requests too: the asker keeps to
// the URIs it asked for. An answer may come before the handle it belongs to.
void ThumbnailerService::onReady(uint handle, const QStringList& uris) {
    for (const QString& uri : uris) {
        if (auto open = m_handles.find(handle); open != m_handles.end())
            open->remove(uri);
        emit ready(uri);
    }
}

void ThumbnailerService::onError(uint handle, const QStringList& uris, int code, const QString& message) {
    qCDebug(lcDbus) << "the thumbnailer failed" << code << message << uris;
    for (const QString& uri : uris) {
        if (auto open = m_handles.find(handle); open != m_handles.end())
            open->remove(uri);
        emit failed(uri);
    }
}

void ThumbnailerService::onFinished(uint handle) {
    for (const QString& uri : m_handles.take(handle))
        emit failed(uri); // finished without a word about it
}
