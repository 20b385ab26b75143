#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The applications the desktop has for a type of file, from its MIME associations (the
// applications' MimeType keys and the mimeapps.list files), read through GIO so that the
// list is the file manager's own.
namespace OpenWith {

struct Application {
    QString id;   // the desktop entry's id, "org.example.Viewer.desktop"
    QString name; // the localized Name
    QStringList iconNames;
    QString iconFile; // an icon given as a file path
    bool isDefault = false;

    friend bool operator==(const Application&, const Application&) = default;
};

// The default first, then the others registered for the type, then those for the types it
// derives from; each once. Hidden entries and removed associations are left out as the
// desktop leaves them out, and so are entries not shown in this desktop (OnlyShowIn,
// NotShowIn); NoDisplay entries stay, being handlers kept out of menus only. Any thread.
QList<Application> applicationsFor(const QString& mimeType);

// Starts the application with the given files; false when there is no such application or
// it could not be started. Main thread.
bool launch(const QString& applicationId, const QList<QUrl>& urls);

} // namespace OpenWith
