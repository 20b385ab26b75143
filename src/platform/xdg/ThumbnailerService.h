#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

// The desktop's thumbnailer on the session bus (org.freedesktop.thumbnails.Thumbnailer1),
// which writes thumbnails into the shared cache. Asked only when a thumbnail is wanted: the
// first request learns whether a service answers and which types it takes, and requests
// made within one turn of the event loop go as one batch. Main thread.
class ThumbnailerService : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailerService(QObject* parent = nullptr);

    // One of the three signals follows for `uri`. `mimeTypes`: the file's type, then the types it derives
    // from.
    void request(const QString& uri, const QStringList& mimeTypes, const QString& flavor);

signals:
    void ready(const QString& uri);    // in the cache now
    void failed(const QString& uri);   // the service could not make it
    void declined(const QString& uri); // no service, or none for this type: up to the asker

private slots:
    void onReady(uint handle, const QStringList& uris);
    void onError(uint handle, const QStringList& uris, int code, const QString& message);
    void onFinished(uint handle);

private:
    struct Request {
        QString uri;
        QStringList mimeTypes;
        QString flavor;
    };
    enum class State { Unknown, Asking, Available, Absent };

    void askSupported();
    void route(const Request& request);
    void decline(const QStringList& uris);
    void flush();

    State m_state = State::Unknown;
    QSet<QString> m_types; // what the service takes for local files
    QList<Request> m_waiting;
    QHash<QString, QList<std::pair<QString, QString>>> m_batch; // flavor -> (uri, type)
    QHash<uint, QSet<QString>> m_handles;                       // queued and not yet answered
};
