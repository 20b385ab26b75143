#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

#include <sys/types.h>

// An application's desktop entry (.desktop file), read through GIO so that names,
// icons and launching follow the desktop's own rules. Safe to use from any thread.
class DesktopEntry {
public:
    // Nothing when the file is not a valid, shown application entry.
    static std::optional<DesktopEntry> read(const QString& path);
    static bool isDesktopEntryPath(const QString& path);
    // Whether the desktop knows any application for files of this MIME type.
    static bool anyApplicationFor(const QString& mimeType);

    QString path() const { return m_path; }
    QString name() const { return m_name; }               // the localized Name
    QStringList iconNames() const { return m_iconNames; } // themed icon names, best first
    QString iconFile() const { return m_iconFile; }       // an icon given as a file path

    // Who owns a file or folder and who may write it.
    struct Ownership {
        uid_t owner = 0;
        mode_t mode = 0;           // as stat gives it
        bool privateGroup = false; // its group is the user's own and holds nobody else
    };
    // Whether nobody but `user` and root could have put the entry there or changed it: both
    // owned by one of them and writable by nobody else, except that a sticky folder (such as
    // /tmp) keeps a file the user owns from others.
    static bool safeOwnership(const Ownership& file, const Ownership& folder, uid_t user);

    // Starts the application with the given files; false when it could not be started or
    // is not trusted: the file the entry resolves to must have safe ownership and, outside
    // the system's application folders, be executable.
    bool launch(const QList<QUrl>& urls = {}) const;

private:
    // The file the entry resolves to, when it may be started; empty otherwise (and logged).
    QString trustedPath() const;

    QString m_path;
    QString m_name;
    QStringList m_iconNames;
    QString m_iconFile;
};
