#pragma once

#include "platform/LoginItemService.h"

#include <QString>

// The login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/org.tuckaway.Tuckaway.desktop.
// The entry is enabled unless it says Hidden=true or X-GNOME-Autostart-enabled=false; an entry
// that cannot be read as a desktop entry starts nothing, so it counts as disabled too.
class XdgAutostartLoginItem : public LoginItemService {
public:
    // executablePath: the program the entry starts; empty means the running executable.
    explicit XdgAutostartLoginItem(QString executablePath = {});

    LoginItemStatus status() const override;
    bool registerItem() override;
    bool unregisterItem() override;

    static QString entryPath();
    // "tuckaway" when that name on PATH is this executable, else its absolute path, quoted
    // for the Exec key.
    QString execValue() const;
    QByteArray entryContent() const;

private:
    QString m_executablePath;
};
