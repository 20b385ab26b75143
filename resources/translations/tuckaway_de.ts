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
    <message id="action.sort_name">
        <source>Sort by Name</source>
        <translation>Nach Name sortieren</translation>
    </message>
    <message id="action.sort_kind">
        <source>Sort by Kind</source>
        <translation>Nach Art sortieren</translation>
    </message>
    <message id="action.sort_date">
        <source>Sort by Date Modified</source>
        <translation>Nach Änderungsdatum sortieren</translation>
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
        <source>%1 px</source>
        <translation>%1 px</translation>
    </message>
    <message id="settings.columns">
        <source>Columns</source>
        <translation>Spalten</translation>
    </message>
    <message id="settings.icon_size">
        <source>Icon size</source>
        <translation>Symbolgröße</translation>
    </message>
    <message id="settings.previews">
        <source>Show previews of files</source>
        <translation>Vorschaubilder der Dateien zeigen</translation>
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
    <message id="tray.export">
        <source>Export Nooks…</source>
        <translation>Gruppen exportieren…</translation>
    </message>
    <message id="tray.import">
        <source>Import Nooks…</source>
        <translation>Gruppen importieren…</translation>
    </message>
    <message id="transfer.export_title">
        <source>Export Nooks</source>
        <translation>Gruppen exportieren</translation>
    </message>
    <message id="transfer.import_title">
        <source>Import Nooks</source>
        <translation>Gruppen importieren</translation>
    </message>
    <message id="transfer.filter">
        <source>Exported nooks (*.json);;All files (*)</source>
        <translation>Exportierte Gruppen (*.json);;Alle Dateien (*)</translation>
    </message>
    <message id="transfer.exported">
        <source>Exported %1 nooks with %2 items.</source>
        <translation>%1 Gruppen mit %2 Einträgen exportiert.</translation>
    </message>
    <message id="transfer.imported">
        <source>Imported %1 items and %2 new nooks; skipped %3 already there and %4 not found.</source>
        <translation>%1 Einträge und %2 neue Gruppen importiert; %3 schon vorhandene und %4 nicht gefundene übersprungen.</translation>
    </message>
    <message id="transfer.failed">
        <source>Export or import failed: %1</source>
        <translation>Export oder Import fehlgeschlagen: %1</translation>
    </message>
    <message id="notice.conflict_kept">
        <source>The nooks were changed elsewhere at the same time. The other version is kept as %1</source>
        <translation>Die Gruppen wurden gleichzeitig anderswo geändert. Die andere Fassung liegt unter %1</translation>
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
    <message id="notice.removed">
        <source>Removed “%1”</source>
        <translation>„%1“ entfernt</translation>
    </message>
    <message id="notice.sorted_name">
        <source>Sorted “%1” by name</source>
        <translation>„%1“ nach Name sortiert</translation>
    </message>
    <message id="notice.sorted_kind">
        <source>Sorted “%1” by kind</source>
        <translation>„%1“ nach Art sortiert</translation>
    </message>
    <message id="notice.sorted_date">
        <source>Sorted “%1” by date modified</source>
        <translation>„%1“ nach Änderungsdatum sortiert</translation>
    </message>
    <message id="notice.moved_to">
        <source>Moved “%1” to “%2”</source>
        <translation>„%1“ nach „%2“ verschoben</translation>
    </message>
    <message id="notice.copied_to">
        <source>Copied “%1” to “%2”</source>
        <translation>„%1“ nach „%2“ kopiert</translation>
    </message>
    <message id="notice.removed_several">
        <source>Removed %1 items</source>
        <translation>%1 Einträge entfernt</translation>
    </message>
    <message id="notice.moved_several">
        <source>Moved %1 items to “%2”</source>
        <translation>%1 Einträge nach „%2“ verschoben</translation>
    </message>
    <message id="notice.copied_several">
        <source>Copied %1 items to “%2”</source>
        <translation>%1 Einträge nach „%2“ kopiert</translation>
    </message>
    <message id="handover.progress">
        <source>Adding files: %1 of %2</source>
        <translation>Dateien werden hinzugefügt: %1 von %2</translation>
    </message>
    <message id="action.undo">
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message id="action.close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="search.placeholder">
        <source>Search all nooks</source>
        <translation>Alle Gruppen durchsuchen</translation>
    </message>
    <message id="notice.missing">
        <source>“%1” cannot be found.</source>
        <translation>„%1“ ist nicht zu finden.</translation>
    </message>
    <message id="notice.no_application">
        <source>No application opens “%1”.</source>
        <translation>Kein Programm öffnet „%1“.</translation>
    </message>
    <message id="notice.load_failed_kept">
        <source>Your nooks could not be read. The unreadable file is kept as %1.</source>
        <translation>Deine Gruppen konnten nicht gelesen werden. Die unlesbare Datei ist als %1 aufbewahrt.</translation>
    </message>
    <message id="notice.load_failed">
        <source>Your nooks could not be read from %1. A copy of it is kept beside it before your next change replaces it.</source>
        <translation>Deine Gruppen konnten nicht aus %1 gelesen werden. Vor deiner nächsten Änderung wird daneben eine Kopie aufbewahrt.</translation>
    </message>
    <message id="notice.save_failed">
        <source>Your changes could not be saved: %1</source>
        <translation>Deine Änderungen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message id="empty.no_nooks">
        <source>No nooks yet. Make one with the + button.</source>
        <translation>Noch keine Gruppen. Lege mit + eine an.</translation>
    </message>
    <message id="empty.no_items">
        <source>Drop files here, or hand them over from the file manager.</source>
        <translation>Zieh Dateien hierher oder übergib sie aus dem Dateimanager.</translation>
    </message>
    <message id="item.missing">
        <source>Cannot be found</source>
        <translation>Nicht zu finden</translation>
    </message>
    <message id="action.show_in_folder">
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message id="action.copy_path">
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message id="action.copy_paths">
        <source>Copy Paths</source>
        <translation>Pfade kopieren</translation>
    </message>
    <message id="action.move_to">
        <source>Move to</source>
        <translation>Verschieben nach</translation>
    </message>
    <message id="alert.rename_item.title">
        <source>Rename Item</source>
        <translation>Eintrag umbenennen</translation>
    </message>
    <message id="tabs.all_nooks">
        <source>All Nooks</source>
        <translation>Alle Gruppen</translation>
    </message>
    <message id="search.no_matches">
        <source>No matches</source>
        <translation>Keine Treffer</translation>
    </message>
    <message id="sheet.name_needed">
        <source>Type a name.</source>
        <translation>Gib einen Namen ein.</translation>
    </message>
    <message id="notice.name_taken">
        <source>There is a nook called “%1” already.</source>
        <translation>Es gibt schon eine Gruppe namens „%1“.</translation>
    </message>
    <message id="notice.no_file_manager">
        <source>No application shows the folder of “%1”.</source>
        <translation>Kein Programm zeigt den Ordner von „%1“.</translation>
    </message>
    <message id="shortcut.description">
        <source>Show or hide the Tuckaway panel</source>
        <translation>Tuckaway-Leiste zeigen oder verbergen</translation>
    </message>
    <message id="settings.shortcut">
        <source>Shortcut to show or hide the panel</source>
        <translation>Tastenkürzel zum Zeigen und Verbergen</translation>
    </message>
    <message id="settings.shortcut.off">
        <source>Off. Click the field and press keys to choose a shortcut.</source>
        <translation>Aus. Ins Feld klicken und Tasten drücken, um ein Kürzel zu wählen.</translation>
    </message>
    <message id="settings.shortcut.pending">
        <source>Waiting for the desktop to allow these keys…</source>
        <translation>Warte, bis die Arbeitsumgebung diese Tasten erlaubt …</translation>
    </message>
    <message id="settings.shortcut.taken">
        <source>Another program or the desktop already uses these keys.</source>
        <translation>Ein anderes Programm oder die Arbeitsumgebung nutzt diese Tasten schon.</translation>
    </message>
    <message id="settings.shortcut.unsupported">
        <source>These keys cannot be used from anywhere.</source>
        <translation>Diese Tasten lassen sich nicht überall nutzen.</translation>
    </message>
    <message id="settings.shortcut.unavailable">
        <source>This session offers no shortcuts that work from anywhere.</source>
        <translation>Diese Sitzung bietet keine überall wirksamen Tastenkürzel.</translation>
    </message>
    <message id="settings.shortcut.needs_modifier">
        <source>Add Ctrl, Alt or Super to the key.</source>
        <translation>Strg, Alt oder Super zur Taste hinzunehmen.</translation>
    </message>
    <message id="settings.shortcut.turn_off">
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message id="settings.icon_size_value">
        <source>%1 px</source>
        <translation>%1 px</translation>
    </message>
    <message id="settings.shortcut.taken_waiting">
        <source>Another program holds these keys. Tuckaway takes them as soon as they are free.</source>
        <translation>Ein anderes Programm hält diese Tasten. Tuckaway übernimmt sie, sobald sie frei sind.</translation>
    </message>
    <message id="settings.shortcut.refused">
        <source>%1 is already used by another program or the desktop. %2 stays.</source>
        <translation>%1 nutzt schon ein anderes Programm oder die Arbeitsumgebung. Es bleibt bei %2.</translation>
    </message>
    <message id="settings.shortcut.refused_unsupported">
        <source>%1 cannot be used from anywhere. %2 stays.</source>
        <translation>%1 lässt sich nicht überall nutzen. Es bleibt bei %2.</translation>
    </message>
    <message id="tray.shortcut_taken">
        <source>Shortcut %1 is held by another program</source>
        <translation>Kürzel %1 ist von einem anderen Programm belegt</translation>
    </message>
    <message id="search.clear">
        <source>Clear search</source>
        <translation>Suche leeren</translation>
    </message>
    <message id="cli.nook_chosen">
        <source>used the nook “%1” (also matching: %2)</source>
        <translation>Gruppe „%1“ verwendet (ebenfalls passend: %2)</translation>
    </message>
    <message id="cli.quoted">
        <source>“%1”</source>
        <translation>„%1“</translation>
    </message>
    <message id="cli.description">
        <source>Keeps your frequently used files, folders and applications one click away.
Without arguments it starts, or opens and closes the panel when it already runs.
With files, they are added to the current nook.
Exit status: 0 done, 1 nothing done (the reason is on standard error), 2 bad usage.</source>
        <translation>Hält häufig genutzte Dateien, Ordner und Programme einen Klick entfernt.
Ohne Argumente startet es, oder öffnet und schließt die Leiste, wenn es schon läuft.
Dateien kommen in die aktuelle Gruppe.
Rückgabewert: 0 erledigt, 1 nichts getan (der Grund steht in der Standardfehlerausgabe), 2 falscher Aufruf.</translation>
    </message>
    <message id="cli.nook">
        <source>Add the files to the nook &lt;name&gt;, made if there is none; with --export, export only that nook.</source>
        <translation>Die Dateien der Gruppe &lt;Name&gt; hinzufügen; fehlt sie, wird sie angelegt. Mit --export nur diese Gruppe exportieren.</translation>
    </message>
    <message id="cli.nook_value">
        <source>name</source>
        <translation>Name</translation>
    </message>
    <message id="cli.list">
        <source>Print each nook and its items with their paths.</source>
        <translation>Jede Gruppe mit ihren Einträgen und deren Pfaden ausgeben.</translation>
    </message>
    <message id="cli.export">
        <source>Write every nook into &lt;file&gt; as portable JSON (names and plain paths).</source>
        <translation>Alle Gruppen als portables JSON (Namen und einfache Pfade) in &lt;Datei&gt; schreiben.</translation>
    </message>
    <message id="cli.import">
        <source>Add the nooks and items of &lt;file&gt;, written by --export, to those of the same name; files they hold already and paths where nothing is are skipped.</source>
        <translation>Die Gruppen und Einträge aus &lt;Datei&gt; (von --export geschrieben) den gleichnamigen Gruppen hinzufügen; vorhandene Dateien und Pfade, an denen nichts ist, werden übersprungen.</translation>
    </message>
    <message id="cli.file_value">
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message id="cli.json">
        <source>With --list: print JSON.</source>
        <translation>Mit --list: als JSON ausgeben.</translation>
    </message>
    <message id="cli.toggle">
        <source>Open the panel, or close it when it is open.</source>
        <translation>Die Leiste öffnen, oder schließen, wenn sie offen ist.</translation>
    </message>
    <message id="cli.show">
        <source>Open the panel.</source>
        <translation>Die Leiste öffnen.</translation>
    </message>
    <message id="cli.settings">
        <source>Open the settings window.</source>
        <translation>Das Einstellungsfenster öffnen.</translation>
    </message>
    <message id="cli.quit">
        <source>End the running instance.</source>
        <translation>Die laufende Instanz beenden.</translation>
    </message>
    <message id="cli.files">
        <source>Files, folders or URIs to add.</source>
        <translation>Hinzuzufügende Dateien, Ordner oder URIs.</translation>
    </message>
    <message id="notice.refused">
        <source>Only files and web pages (http, https) can be added: %1</source>
        <translation>Nur Dateien und Webseiten (http, https) lassen sich hinzufügen: %1</translation>
    </message>
    <message id="action.open_with">
        <source>Open With</source>
        <translation>Öffnen mit</translation>
    </message>
    <message id="action.open_with_none">
        <source>No Application</source>
        <translation>Kein Programm</translation>
    </message>
    <message id="action.open_all">
        <source>Open All</source>
        <translation>Alle öffnen</translation>
    </message>
    <message id="action.open_all_count">
        <source>Open All (%1)</source>
        <translation>Alle öffnen (%1)</translation>
    </message>
    <message id="action.add_files">
        <source>Add Files…</source>
        <translation>Dateien hinzufügen …</translation>
    </message>
    <message id="dialog.add_files">
        <source>Add to “%1”</source>
        <translation>Zu „%1“ hinzufügen</translation>
    </message>
</context>
</TS>
