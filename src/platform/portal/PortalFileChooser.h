#pragma once

#include <QObject>
#include <QUrl>
#include <QVariantMap>

#include <functional>

class QDBusObjectPath;
class QDBusError;

// The desktop portal's file chooser (org.freedesktop.portal.FileChooser): the desktop's own
// dialog, which also works from a sandbox. One question per object, which goes once answered.
class PortalFileChooser : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QList<QUrl>&)>;

    // Whether the portal runs on the session bus (a bus round trip).
    static bool available();
    // Asks for several files (or, with `folders`, several folders); `done` hears the chosen
    // ones, nothing when cancelled, and nothing when the portal failed (`failed` is then told).
    static void choose(const QString& title, bool folders, Done done, std::function<void()> failed = {});

private:
    PortalFileChooser(Done done, std::function<void()> failed);

private slots:
    void onResponse(uint response, const QVariantMap& results);
    void onCallReturned(const QDBusObjectPath& handle);
    void onCallFailed(const QDBusError& error);

private:
    void listen(const QString& path);

    Done m_done;
    std::function<void()> m_failed;
    QString m_requestPath;
};
