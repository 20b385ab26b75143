<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="action.open">
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message id="action.remove">
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message id="action.rename">
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message id="action.create">
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message id="action.cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="alert.new_group.title">
        <source>New Nook</source>
        <translation>Neue Gruppe</translation>
    </message>
    <message id="group.rename_placeholder">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="group.default_name">
        <source>Favorites</source>
        <translation>Favoriten</translation>
    </message>
    <message id="settings.launch_at_login">
        <source>Open at login</source>
        <translation>Beim Anmelden öffnen</translation>
    </message>
    <message id="settings.panel_height">
        <source>Panel height</source>
        <translation>Panelhöhe</translation>
    </message>
    <message id="settings.panel_height_value">
        <source>%1 pt</source>
        <translation>%1 pt</translation>
    </message>
    <message id="settings.columns">
        <source>Columns</source>
        <translation>Spalten</translation>
    </message>
    <message id="settings.icon_size">
        <source>Icon size</source>
        <translation>Symbolgröße</translation>
    </message>
    <message id="settings.window_title">
        <source>Tuckaway Settings</source>
        <translation>Tuckaway-Einstellungen</translation>
    </message>
    <message id="tray.tooltip">
        <source>Tuckaway</source>
        <translation>Tuckaway</translation>
    </message>
    <message id="tray.settings">
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message id="tray.quit">
        <source>Quit Tuckaway</source>
        <translation>Tuckaway beenden</translation>
    </message>
    <message id="header.add_group">
        <source>New nook</source>
        <translation>Neue Gruppe</translation>
    </message>
    <message id="header.pin">
        <source>Keep the panel open</source>
        <translation>Panel geöffnet lassen</translation>
    </message>
    <message id="header.settings">
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
</context>
</TS>
