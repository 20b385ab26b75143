#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

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

    // Entries outside the system's application folders must be executable to be trusted.
    bool isTrusted() const;

    // Starts the application with the given files; false when it could not be started.
    bool launch(const QList<QUrl>& urls = {}) const;

private:
    QString m_path;
    QString m_name;
    QStringList m_iconNames;
    QString m_iconFile;
};
