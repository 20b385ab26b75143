#!/usr/bin/env bash
# The settings window from the bus action, and a change of "columns" there resizing the
# open panel in place. Then the application without a session bus: it runs on its own.
source "$(dirname "$0")/lib.sh"

start_desktop bottom
start_app
activate_at 500 400
[ "$pw" -eq 360 ] || fail "default width $pw"

log "settings"
app_call ActivateAction "'settings'" "[]" "{}"
wait_for "the settings window, titled \"Tuckaway Settings\"" 5 settings_window
panel_window >/dev/null || fail "opening the settings closed the panel"
icons=$(icon_sizes "$(settings_window)")
[[ $icons == 16x16*128x128* ]] || fail "the settings window's icon for window lists comes in $icons"
screenshot "settings-open"

log "columns 5"
read -r sx sy sw sh <<<"$(geometry "$(settings_window)")"
click_at $((sx + sw - 49)) $((sy + sh - 136)) # the columns row, counted from the bottom (above icon size and previews)
wait_for "columns=5 in the preferences" 5 grep -qx "columns=5" "$XDG_CONFIG_HOME/Tuckaway/Tuckaway.conf"
panel_is_wide() { [ "$(geometry "$(panel_window)" | cut -d' ' -f3)" -eq 440 ]; }
wait_for "the open panel to grow to five columns" 5 panel_is_wide
read -r px py pw ph <<<"$(geometry "$(panel_window)")"
[ $((px + pw / 2)) -eq 500 ] || fail "the wider panel left the anchor: x $px"
[ $((py + ph)) -le 736 ] || fail "the wider panel left the usable area"
screenshot "five-columns"

log "the next showing keeps the new size"
app_call Activate "{}"
wait_for "the panel to close" 5 panel_hidden
activate_at 500 400
panel_is_wide || fail "reopened at another width"

log "without a session bus"
quit_app
DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_ROOT/no-bus "$E2E_APP" >>"$E2E_ROOT/app.log" 2>&1 &
E2E_PIDS+=($!)
wait_for "the tray icon" 10 tray_icon
click_tray
wait_for "the panel after a tray click" 5 panel_window
screenshot "without-bus"
click_tray
wait_for "the panel to close" 5 panel_hidden
log "passed"
