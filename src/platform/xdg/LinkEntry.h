#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// A desktop entry of Type=Link: a named address kept as a file, the desktop's way. Read and
// written through GLib's key files, so names and addresses are escaped as the desktop
// expects. Any thread.
struct LinkEntry {
    QUrl url;
    QString name; // the localized Name
    QString icon;
    bool ours = false; // carries kMarkerKey: written by us, ours to remove

    static constexpr auto kMarkerKey = "X-Tuckaway-Link";

    // Nothing unless `path` is a regular file holding a Link entry with a URL.
    static std::optional<LinkEntry> read(const QString& path);

    // Writes a new entry with our marker, readable by the user only, into `folder` (made when
    // missing, private), under a name made from the address. Never replaces a file: a taken
    // name gets a number. Returns the new file's path; nothing when it could not be written.
    static std::optional<QString> create(const QString& folder, const QUrl& url, const QString& name);
};
