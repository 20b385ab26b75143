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
    <message id="action.sort_name">
        <source>Sort by Name</source>
        <translation>Sort by Name</translation>
    </message>
    <message id="action.sort_kind">
        <source>Sort by Kind</source>
        <translation>Sort by Kind</translation>
    </message>
    <message id="action.sort_date">
        <source>Sort by Date Modified</source>
        <translation>Sort by Date Modified</translation>
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
        <source>%1 px</source>
        <translation>%1 px</translation>
    </message>
    <message id="settings.columns">
        <source>Columns</source>
        <translation>Columns</translation>
    </message>
    <message id="settings.icon_size">
        <source>Icon size</source>
        <translation>Icon size</translation>
    </message>
    <message id="settings.previews">
        <source>Show previews of files</source>
        <translation>Show previews of files</translation>
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
    <message id="tray.export">
        <source>Export Nooks…</source>
        <translation>Export Nooks…</translation>
    </message>
    <message id="tray.import">
        <source>Import Nooks…</source>
        <translation>Import Nooks…</translation>
    </message>
    <message id="transfer.export_title">
        <source>Export Nooks</source>
        <translation>Export Nooks</translation>
    </message>
    <message id="transfer.import_title">
        <source>Import Nooks</source>
        <translation>Import Nooks</translation>
    </message>
    <message id="transfer.filter">
        <source>Exported nooks (*.json);;All files (*)</source>
        <translation>Exported nooks (*.json);;All files (*)</translation>
    </message>
    <message id="transfer.exported">
        <source>Exported %1 nooks with %2 items.</source>
        <translation>Exported %1 nooks with %2 items.</translation>
    </message>
    <message id="transfer.imported">
        <source>Imported %1 items and %2 new nooks; skipped %3 already there and %4 not found.</source>
        <translation>Imported %1 items and %2 new nooks; skipped %3 already there and %4 not found.</translation>
    </message>
    <message id="transfer.failed">
        <source>Export or import failed: %1</source>
        <translation>Export or import failed: %1</translation>
    </message>
    <message id="notice.conflict_kept">
        <source>The nooks were changed elsewhere at the same time. The other version is kept as %1</source>
        <translation>The nooks were changed elsewhere at the same time. The other version is kept as %1</translation>
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
    <message id="notice.removed">
        <source>Removed “%1”</source>
        <translation>Removed “%1”</translation>
    </message>
    <message id="notice.sorted_name">
        <source>Sorted “%1” by name</source>
        <translation>Sorted “%1” by name</translation>
    </message>
    <message id="notice.sorted_kind">
        <source>Sorted “%1” by kind</source>
        <translation>Sorted “%1” by kind</translation>
    </message>
    <message id="notice.sorted_date">
        <source>Sorted “%1” by date modified</source>
        <translation>Sorted “%1” by date modified</translation>
    </message>
    <message id="notice.moved_to">
        <source>Moved “%1” to “%2”</source>
        <translation>Moved “%1” to “%2”</translation>
    </message>
    <message id="notice.copied_to">
        <source>Copied “%1” to “%2”</source>
        <translation>Copied “%1” to “%2”</translation>
    </message>
    <message id="notice.removed_several">
        <source>Removed %1 items</source>
        <translation>Removed %1 items</translation>
    </message>
    <message id="notice.moved_several">
        <source>Moved %1 items to “%2”</source>
        <translation>Moved %1 items to “%2”</translation>
    </message>
    <message id="notice.copied_several">
        <source>Copied %1 items to “%2”</source>
        <translation>Copied %1 items to “%2”</translation>
    </message>
    <message id="handover.progress">
        <source>Adding files: %1 of %2</source>
        <translation>Adding files: %1 of %2</translation>
    </message>
    <message id="action.undo">
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message id="action.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="search.placeholder">
        <source>Search all nooks</source>
        <translation>Search all nooks</translation>
    </message>
    <message id="notice.missing">
        <source>“%1” cannot be found.</source>
        <translation>“%1” cannot be found.</translation>
    </message>
    <message id="notice.no_application">
        <source>No application opens “%1”.</source>
        <translation>No application opens “%1”.</translation>
    </message>
    <message id="notice.load_failed_kept">
        <source>Your nooks could not be read. The unreadable file is kept as %1.</source>
        <translation>Your nooks could not be read. The unreadable file is kept as %1.</translation>
    </message>
    <message id="notice.load_failed">
        <source>Your nooks could not be read from %1. A copy of it is kept beside it before your next change replaces it.</source>
        <translation>Your nooks could not be read from %1. A copy of it is kept beside it before your next change replaces it.</translation>
    </message>
    <message id="notice.save_failed">
        <source>Your changes could not be saved: %1</source>
        <translation>Your changes could not be saved: %1</translation>
    </message>
    <message id="empty.no_nooks">
        <source>No nooks yet. Make one with the + button.</source>
        <translation>No nooks yet. Make one with the + button.</translation>
    </message>
    <message id="empty.no_items">
        <source>Drop files here, or hand them over from the file manager.</source>
        <translation>Drop files here, or hand them over from the file manager.</translation>
    </message>
    <message id="item.missing">
        <source>Cannot be found</source>
        <translation>Cannot be found</translation>
    </message>
    <message id="action.show_in_folder">
        <source>Show in Folder</source>
        <translation>Show in Folder</translation>
    </message>
    <message id="action.copy_path">
        <source>Copy Path</source>
        <translation>Copy Path</translation>
    </message>
    <message id="action.copy_paths">
        <source>Copy Paths</source>
        <translation>Copy Paths</translation>
    </message>
    <message id="action.move_to">
        <source>Move to</source>
        <translation>Move to</translation>
    </message>
    <message id="alert.rename_item.title">
        <source>Rename Item</source>
        <translation>Rename Item</translation>
    </message>
    <message id="tabs.all_nooks">
        <source>All Nooks</source>
        <translation>All Nooks</translation>
    </message>
    <message id="search.no_matches">
        <source>No matches</source>
        <translation>No matches</translation>
    </message>
    <message id="sheet.name_needed">
        <source>Type a name.</source>
        <translation>Type a name.</translation>
    </message>
    <message id="notice.name_taken">
        <source>There is a nook called “%1” already.</source>
        <translation>There is a nook called “%1” already.</translation>
    </message>
    <message id="notice.no_file_manager">
        <source>No application shows the folder of “%1”.</source>
        <translation>No application shows the folder of “%1”.</translation>
    </message>
    <message id="shortcut.description">
        <source>Show or hide the Tuckaway panel</source>
        <translation>Show or hide the Tuckaway panel</translation>
    </message>
    <message id="settings.shortcut">
        <source>Shortcut to show or hide the panel</source>
        <translation>Shortcut to show or hide the panel</translation>
    </message>
    <message id="settings.shortcut.off">
        <source>Off. Click the field and press keys to choose a shortcut.</source>
        <translation>Off. Click the field and press keys to choose a shortcut.</translation>
    </message>
    <message id="settings.shortcut.pending">
        <source>Waiting for the desktop to allow these keys…</source>
        <translation>Waiting for the desktop to allow these keys…</translation>
    </message>
    <message id="settings.shortcut.taken">
        <source>Another program or the desktop already uses these keys.</source>
        <translation>Another program or the desktop already uses these keys.</translation>
    </message>
    <message id="settings.shortcut.unsupported">
        <source>These keys cannot be used from anywhere.</source>
        <translation>These keys cannot be used from anywhere.</translation>
    </message>
    <message id="settings.shortcut.unavailable">
        <source>This session offers no shortcuts that work from anywhere.</source>
        <translation>This session offers no shortcuts that work from anywhere.</translation>
    </message>
    <message id="settings.shortcut.needs_modifier">
        <source>Add Ctrl, Alt or Super to the key.</source>
        <translation>Add Ctrl, Alt or Super to the key.</translation>
    </message>
    <message id="settings.shortcut.turn_off">
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message id="settings.icon_size_value">
        <source>%1 px</source>
        <translation>%1 px</translation>
    </message>
    <message id="settings.shortcut.taken_waiting">
        <source>Another program holds these keys. Tuckaway takes them as soon as they are free.</source>
        <translation>Another program holds these keys. Tuckaway takes them as soon as they are free.</translation>
    </message>
    <message id="settings.shortcut.refused">
        <source>%1 is already used by another program or the desktop. %2 stays.</source>
        <translation>%1 is already used by another program or the desktop. %2 stays.</translation>
    </message>
    <message id="settings.shortcut.refused_unsupported">
        <source>%1 cannot be used from anywhere. %2 stays.</source>
        <translation>%1 cannot be used from anywhere. %2 stays.</translation>
    </message>
    <message id="tray.shortcut_taken">
        <source>Shortcut %1 is held by another program</source>
        <translation>Shortcut %1 is held by another program</translation>
    </message>
    <message id="search.clear">
        <source>Clear search</source>
        <translation>Clear search</translation>
    </message>
    <message id="cli.nook_chosen">
        <source>used the nook “%1” (also matching: %2)</source>
        <translation>used the nook “%1” (also matching: %2)</translation>
    </message>
    <message id="cli.quoted">
        <source>“%1”</source>
        <translation>“%1”</translation>
    </message>
    <message id="cli.description">
        <source>Keeps your frequently used files, folders and applications one click away.
Without arguments it starts, or opens and closes the panel when it already runs.
With files, they are added to the current nook.
Exit status: 0 done, 1 nothing done (the reason is on standard error), 2 bad usage.</source>
        <translation>Keeps your frequently used files, folders and applications one click away.
Without arguments it starts, or opens and closes the panel when it already runs.
With files, they are added to the current nook.
Exit status: 0 done, 1 nothing done (the reason is on standard error), 2 bad usage.</translation>
    </message>
    <message id="cli.nook">
        <source>Add the files to the nook &lt;name&gt;, made if there is none; with --export, export only that nook.</source>
        <translation>Add the files to the nook &lt;name&gt;, made if there is none; with --export, export only that nook.</translation>
    </message>
    <message id="cli.nook_value">
        <source>name</source>
        <translation>name</translation>
    </message>
    <message id="cli.list">
        <source>Print each nook and its items with their paths.</source>
        <translation>Print each nook and its items with their paths.</translation>
    </message>
    <message id="cli.export">
        <source>Write every nook into &lt;file&gt; as portable JSON (names and plain paths).</source>
        <translation>Write every nook into &lt;file&gt; as portable JSON (names and plain paths).</translation>
    </message>
    <message id="cli.import">
        <source>Add the nooks and items of &lt;file&gt;, written by --export, to those of the same name; files they hold already and paths where nothing is are skipped.</source>
        <translation>Add the nooks and items of &lt;file&gt;, written by --export, to those of the same name; files they hold already and paths where nothing is are skipped.</translation>
    </message>
    <message id="cli.file_value">
        <source>file</source>
        <translation>file</translation>
    </message>
    <message id="cli.json">
        <source>With --list: print JSON.</source>
        <translation>With --list: print JSON.</translation>
    </message>
    <message id="cli.toggle">
        <source>Open the panel, or close it when it is open.</source>
        <translation>Open the panel, or close it when it is open.</translation>
    </message>
    <message id="cli.show">
        <source>Open the panel.</source>
        <translation>Open the panel.</translation>
    </message>
    <message id="cli.settings">
        <source>Open the settings window.</source>
        <translation>Open the settings window.</translation>
    </message>
    <message id="cli.quit">
        <source>End the running instance.</source>
        <translation>End the running instance.</translation>
    </message>
    <message id="cli.files">
        <source>Files, folders or URIs to add.</source>
        <translation>Files, folders or URIs to add.</translation>
    </message>
    <message id="notice.refused">
        <source>Only files and web pages (http, https) can be added: %1</source>
        <translation>Only files and web pages (http, https) can be added: %1</translation>
    </message>
    <message id="action.open_with">
        <source>Open With</source>
        <translation>Open With</translation>
    </message>
    <message id="action.open_with_none">
        <source>No Application</source>
        <translation>No Application</translation>
    </message>
    <message id="action.open_all">
        <source>Open All</source>
        <translation>Open All</translation>
    </message>
    <message id="action.open_all_count">
        <source>Open All (%1)</source>
        <translation>Open All (%1)</translation>
    </message>
    <message id="action.add_files">
        <source>Add Files…</source>
        <translation>Add Files…</translation>
    </message>
    <message id="dialog.add_files">
        <source>Add to “%1”</source>
        <translation>Add to “%1”</translation>
    </message>
</context>
</TS>
