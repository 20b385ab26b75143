#pragma once

#include "platform/xdg/ThumbnailCache.h"

#include <QHash>
#include <QImage>
#include <QMimeType>
#include <QMutex>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>

class ThumbnailerService;

// Pictures of what files hold, shown in place of their type's icon: from the desktop's
// thumbnail cache; where it has none, made by the desktop's thumbnailer, else (plain
// images, when no thumbnailer takes them) made here and stored in the cache for the others.
// The icon cache makes one when it first needs it.
class Previews : public QObject {
    Q_OBJECT
public:
    // What a look into the cache found for one file.
    struct Found {
        QImage image; // to show; null when there is none yet
        QString path; // set when the file is one we may read (its stamp then too)
        ThumbnailCache::Stamp stamp;
        bool makeable = false;  // no thumbnail and no record of a failure: worth making
        QStringList mimeTypes;  // the file's type, then the types it derives from
        bool isPicture = false; // Qt reads the type
    };

    // Any thread. `pixels`: the side the picture is shown at, in device pixels.
    static Found look(const QString& path, const QMimeType& type, int pixels);
    // Any thread: a thumbnail as it is shown, fitted into a square of `pixels`.
    static QImage fitted(const QImage& thumbnail, int pixels);

    explicit Previews(int pixels, QObject* parent = nullptr);
    ~Previews() override;

    // Main thread: makes the thumbnail `look` found none of; made() follows once there is one.
    void make(const Found& found);
    int pending() const { return int(m_making.size()); }

signals:
    void made(const QString& path, const QImage& image);

private:
    void serviceReady(const QString& uri);
    void serviceDeclined(const QString& uri);
    void giveUp(const QString& uri);
    void finish(const QString& uri, const QImage& image);
    // Runs `work` in the background and hands its picture to finish() for `uri`.
    void inBackground(const QString& uri, std::function<QImage()> work);
    static QImage makeHere(const Found& found, int pixels);

    int m_pixels;
    ThumbnailerService* m_service = nullptr;
    QHash<QString, Found> m_making; // by URI
    QSet<QString> m_gaveUp;         // URI and modification time: not tried again this run

    struct Answer {
        QMutex mutex;
        Previews* previews = nullptr;
    };
    std::shared_ptr<Answer> m_answer = std::make_shared<Answer>();
};
