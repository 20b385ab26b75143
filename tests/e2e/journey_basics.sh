#!/usr/bin/env bash
# Start, the launcher's Activate, outside clicks and pinning, files handed over by a
# second start, opening an item, and the data surviving a restart. (A click on the tray
# icon opening and closing the panel: journey_edges.)
source "$(dirname "$0")/lib.sh"

start_desktop bottom

# A test application, the default for plain text, that writes down what it was given.
mkdir -p "$XDG_DATA_HOME/applications" "$HOME/bin" "$HOME/docs"
cat >"$HOME/bin/recorder" <<REC
#!/bin/sh
printf '%s\n' "\$@" >>"$E2E_ROOT/opened.txt"
REC
chmod +x "$HOME/bin/recorder"
cat >"$XDG_DATA_HOME/applications/e2e-recorder.desktop" <<DESK
[Desktop Entry]
Type=Application
Name=Recorder
Exec=$HOME/bin/recorder %f
MimeType=text/plain;
DESK
# The default by mimeapps.list alone, as "always open with" makes it: where no other
# application takes text/plain, it is the only one that can.
printf '[Default Applications]\ntext/plain=e2e-recorder.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
echo "quarterly numbers" >"$HOME/docs/report.txt"
echo "# notes" >"$HOME/docs/notes.md"

# No taskbar or pager entry, above other windows, on every desktop: at every showing,
# since window managers drop these hints when a window is hidden.
check_panel_hints() {
    local state
    state=$(xprop -id "$(panel_window)" _NET_WM_STATE _NET_WM_DESKTOP)
    [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* && $state == *_NET_WM_STATE_SKIP_PAGER* ]] ||
        fail "panel in the taskbar: $state"
    [[ $state == *_NET_WM_STATE_ABOVE* ]] || fail "panel not kept above: $state"
    [[ $state == *"_NET_WM_DESKTOP(CARDINAL) = 4294967295"* ]] || fail "panel not on every desktop: $state"
}

log "start"
start_app
read -r tx ty tw th <<<"$(geometry "$(tray_icon)")"
[ "$ty" -ge 736 ] || fail "the tray icon is not in the panel (y $ty)"
panel_hidden || fail "a panel is shown at launch"
[ ! -e "$DATA_FILE" ] || fail "a data file was written at launch"
# Windows no window list shows carry one small icon: Qt makes and sends every size a window's
# icon has as it makes the window.
[ "$(icon_sizes "$(tray_icon)")" = 32x32 ] || fail "the tray icon's window has icons $(icon_sizes "$(tray_icon)")"
screenshot "started"

log "the pointer on the tray icon"
# Fonts are loaded when first needed: for the panel, or for the icon's tooltip once the
# pointer rests on it (it comes before most clicks), not when it passes over.
fonts_open() { grep -qE '\.(ttf|otf|ttc|pfb)$' "/proc/$APP_PID/maps"; }
symbols_rendered() { grep -q libqsvgicon "/proc/$APP_PID/maps"; }
symbols_rendered && fail "symbols rendered at start"
# Fontconfig's configuration is read ahead at start (it maps its caches), off the first
# click; fonts, once opened, stay mapped, so none is open after it either.
font_configuration_read() { grep -qE '/fontconfig/[^/]+\.cache-[0-9]+$' "/proc/$APP_PID/maps"; }
wait_for "the font configuration read ahead" 5 font_configuration_read
fonts_open && fail "fonts loaded at start"
# Again with the icon docking under a pointer that stands still: it has not come to the icon.
quit_app
xdotool mousemove $((tx + tw / 2)) $((ty + th / 2))
start_app
[ "$(geometry "$(tray_icon)")" = "$tx $ty $tw $th" ] || fail "the icon docked elsewhere the second time"
sleep 0.5
fonts_open && fail "the icon docking under the pointer loaded the fonts"
# A jump onto the icon enters it without moving over it: steps inside, apart in time as a
# hand's are (the program takes a pile of moves as one), move over it.
onto_icon=(mousemove $((tx + 4)) $((ty + th / 2)) sleep 0.01 mousemove_relative 1 0 sleep 0.01 mousemove_relative 1 0)
xdotool mousemove 640 100
xdotool "${onto_icon[@]}" sleep 0.02 mousemove 640 100
sleep 0.5
fonts_open && fail "passing over the tray icon loaded the fonts"
xdotool "${onto_icon[@]}"
sleep 0.5 # well before the icon's tooltip, which would load them too
fonts_open || fail "resting on the tray icon for 0.5 s did not load the fonts"
# A click is likely to follow: the panel is made and painted unseen, its symbols rendered.
symbols_rendered || fail "resting on the tray icon did not paint the panel ahead"
panel_hidden || fail "resting on the tray icon showed the panel"
xdotool mousemove 640 100
# The invisible 1 x 1 window shows nothing, with or without a compositor. It comes once the
# tray icon is drawn.
dummy_window() { find_windows --name '^Tuckaway \(hidden\)$' | head -n1 | grep .; }
wait_for "the invisible window" 5 dummy_window
dummy=$(dummy_window)
read -r dx dy dw dh <<<"$(geometry "$dummy")"
[ "$dw" -eq 1 ] && [ "$dh" -eq 1 ] || fail "the invisible window is ${dw}x$dh"
pixels=$(import -window root -crop 3x1+"$dx"+"$dy" txt:- | awk 'NR > 1 {print $3}' | sort -u | wc -l)
[ "$pixels" -eq 1 ] || fail "the invisible window can be seen at $dx,$dy"

log "Activate twice"
activate_at 500 400
[ "$pw" -eq 360 ] && [ "$ph" -eq 440 ] || fail "panel size ${pw}x$ph"
centred_on 500 1 || fail "panel not at the pointer: x $px"
gap=$((736 - py - ph))
[ "$gap" -gt 0 ] && [ "$gap" -le 40 ] || fail "panel not next to the tint2 panel: gap $gap"
check_panel_hints
[ "$(icon_sizes "$(panel_window)")" = 32x32 ] || fail "the panel has icons $(icon_sizes "$(panel_window)")"
screenshot "activated"
app_call Activate "{}"
wait_for "the panel to close after the second Activate" 5 panel_hidden

log "starting again while it runs"
# The start without arguments (the one at login) has the running instance open its panel,
# and the next one close it, and ends.
for shown in panel_window panel_hidden; do
    timeout 20 "$E2E_APP" >>"$E2E_ROOT/app.log" 2>&1 || fail "a second start did not end well"
    wait_for "the second start's $shown" 5 "$shown"
done
[ "$(app_pid)" = "$APP_PID" ] || fail "another process owns the bus name"

log "outside clicks"
for button in 1 3; do
    activate_at 500 400
    click_at 900 100 $button
    wait_for "a click with button $button on the desktop to close the panel" 3 panel_hidden
done
xdotool key Escape # the window manager's desktop menu

log "pinned"
activate_at 500 400
wait_for "the panel to be shown and active" 5 panel_active
pin_x=$((px + pw - 54)) pin_y=$((py + 20))
click_at $pin_x $pin_y
click_at 900 100
holds_for "the pinned panel stays open after an outside click" 700 panel_window
screenshot "pinned-after-outside-click"
click_at $pin_x $pin_y
click_at 900 100
wait_for "the unpinned panel to close" 3 panel_hidden

log "second start with two files: in the data file when it returns, the panel left closed"
xdotool mousemove 500 400
started=$(date +%s%N)
(cd "$HOME/docs" && "$E2E_APP" report.txt notes.md) || fail "the second start did not exit 0"
log "items saved $((($(date +%s%N) - started) / 1000000)) ms after the second start began"
[ "$(data_items)" = "$(printf 'Favorites/report\nFavorites/notes')" ] || fail "items: $(data_items)"
panel_hidden || fail "the hand-over showed the panel"
"$E2E_APP" --show
wait_for "the panel" 5 panel_window
kill -0 "$APP_PID" || fail "the first instance is gone"
! "$E2E_APP" "$HOME/docs/report.txt" 2>"$E2E_ROOT/err" || fail "adding nothing new exited 0"
err_has "already in the nook: $HOME/docs/report.txt"
[ "$(item_count)" -eq 2 ] || fail "the same file was added again"
screenshot "two-items"

log "a drag from the panel onto the desktop"
read -r px py pw ph <<<"$(geometry "$(panel_window)")"
xdotool mousemove $((px + 60)) $((py + 93)) mousedown 1
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove $((px + 60 + step * 60)) $((py + 93 - step * 20)); done
xdotool mousemove 900 100 mouseup 1
holds_for "the panel stays open after a drag that started in it" 700 panel_window
[ "$(item_count)" -eq 2 ] || fail "the drag changed the items"

log "opening an item"
click_at $((px + 24 + 36)) $((py + 41 + 16 + 36))
wait_for "the panel to close on opening" 3 panel_hidden
wait_for "the default application to get the file" 10 grep -qx "$HOME/docs/report.txt" "$E2E_ROOT/opened.txt"

log "restart"
before=$(data_items)
quit_app
start_app
[ "$(data_items)" = "$before" ] || fail "data changed across a restart"
activate_at 500 400
screenshot "after-restart"

log "a first start with a file: started in the background, no panel, the file added"
quit_app
echo "extra" >"$HOME/docs/extra.txt"
"$E2E_APP" "$HOME/docs/extra.txt" || fail "the first start with a file did not exit 0"
E2E_PIDS+=($(app_pid))
[ "$(item_count)" -eq 3 ] || fail "items: $(data_items)"
wait_for "the tray icon" 10 tray_icon
panel_hidden || fail "a panel came up at launch"
[ "$(data_items)" = "$before"$'\n'"Favorites/extra" ] || fail "items: $(data_items)"
log "passed"
