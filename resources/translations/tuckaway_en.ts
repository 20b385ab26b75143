<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="action.open">
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message id="action.remove">
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message id="action.rename">
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message id="action.create">
        <source>Create</source>
        <translation>Create</translation>
    </message>
    <message id="action.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="alert.new_group.title">
        <source>New Nook</source>
        <translation>New Nook</translation>
    </message>
    <message id="group.rename_placeholder">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="group.default_name">
        <source>Favorites</source>
        <translation>Favorites</translation>
    </message>
    <message id="settings.launch_at_login">
        <source>Open at login</source>
        <translation>Open at login</translation>
    </message>
    <message id="settings.panel_height">
        <source>Panel height</source>
        <translation>Panel height</translation>
    </message>
    <message id="settings.panel_height_value">
        <source>%1 pt</source>
        <translation>%1 pt</translation>
    </message>
    <message id="settings.columns">
        <source>Columns</source>
        <translation>Columns</translation>
    </message>
    <message id="settings.icon_size">
        <source>Icon size</source>
        <translation>Icon size</translation>
    </message>
    <message id="settings.window_title">
        <source>Tuckaway Settings</source>
        <translation>Tuckaway Settings</translation>
    </message>
    <message id="tray.tooltip">
        <source>Tuckaway</source>
        <translation>Tuckaway</translation>
    </message>
    <message id="tray.settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="tray.quit">
        <source>Quit Tuckaway</source>
        <translation>Quit Tuckaway</translation>
    </message>
    <message id="header.add_group">
        <source>New nook</source>
        <translation>New nook</translation>
    </message>
    <message id="header.pin">
        <source>Keep the panel open</source>
        <translation>Keep the panel open</translation>
    </message>
    <message id="header.settings">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
</context>
</TS>
