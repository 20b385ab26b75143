#!/usr/bin/env bash
# Under a headless sway with waybar's tray and XWayland: the tray item registers, a tray
# click shows the panel, clicks into another window and on the desktop close it, clicks
# in it keep it, and no window of ours shows at start.
# Usage: journey_sway.sh <tuckaway binary> <screenshot folder> <attach_pointer binary>
# E2E_QPA=wayland runs the application on Qt's native Wayland platform instead of XWayland.
# Skipped (exit 77) only where sway or its companions are not installed.
set -euo pipefail

for tool in sway swaymsg waybar grim Xwayland foot jq gdbus dbus-run-session setpriv; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

if [ "$(id -u)" -eq 0 ] && [ -z "${E2E_UNPRIVILEGED:-}" ]; then
    # sway refuses to run as root: the journey runs as nobody, on copies it can read.
    copies=$(mktemp -d "${TMPDIR:-/tmp}/tuckaway-sway-bin.XXXXXX")
    trap 'rm -rf "$copies"' EXIT
    cp "$1" "$copies/tuckaway"
    cp "$3" "$copies/attach_pointer"
    cp "$(dirname "$0")"/lib.sh "$0" "$copies/"
    chmod -R a+rX "$copies"
    # Screenshots go where nobody can write (a checkout under /root is closed to it), then here.
    mkdir -p "$2" "$copies/shots"
    chown nobody "$copies/shots"
    shots=$(realpath "$2")
    status=0
    # Started from a folder nobody cannot enter (a checkout under /root), foot could not start
    # its shell there: run from the copies.
    cd "$copies"
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env E2E_UNPRIVILEGED=1 E2E_QPA="${E2E_QPA:-}" TMPDIR=/tmp HOME="$copies" PATH="$PATH" \
        dbus-run-session -- bash "$copies/$(basename "$0")" "$copies/tuckaway" "$copies/shots" \
        "$copies/attach_pointer" || status=$?
    cp "$copies"/shots/*.png "$shots"/ 2>/dev/null || true
    exit $status
fi

source "$(dirname "$0")/lib.sh"
POINTER_TOOL=$(realpath "$3")

E2E_GRAB=grim

fresh_home
cat >"$E2E_ROOT/sway.conf" <<CONF
output HEADLESS-1 resolution 1024x768 bg #6f8fa8 solid_color
xwayland enable
default_border pixel 2
for_window [app_id="foot"] floating enable, resize set 400 300, move position 600 440
CONF
cat >"$E2E_ROOT/waybar.json" <<CONF
{"layer": "top", "position": "top", "height": 30, "modules-left": [], "modules-center": ["tray"],
 "modules-right": [], "tray": {"icon-size": 20, "spacing": 4}}
CONF
echo 'window#waybar { background: #2b3945; }' >"$E2E_ROOT/waybar.css"

WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$E2E_ROOT/sway.conf" >"$E2E_ROOT/sway.log" 2>&1 &
E2E_PIDS+=($!)
sway_socket() { ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock; }
wait_for "sway" 10 sway_socket
export SWAYSOCK=$(sway_socket) WAYLAND_DISPLAY=wayland-1
wait_for "sway's outputs" 10 swaymsg -t get_outputs

"$POINTER_TOOL" >"$E2E_ROOT/pointer.log" 2>&1 &
E2E_PIDS+=($!)
wait_for "a pointer on the seat" 5 grep -qx ready "$E2E_ROOT/pointer.log"

# XWayland starts on the first X client; its display is known to sway's children.
swaymsg exec "printenv DISPLAY >$E2E_ROOT/display" >/dev/null
wait_for "the XWayland display" 5 test -s "$E2E_ROOT/display"
export DISPLAY=$(cat "$E2E_ROOT/display")

waybar -c "$E2E_ROOT/waybar.json" -s "$E2E_ROOT/waybar.css" >"$E2E_ROOT/waybar.log" 2>&1 &
E2E_PIDS+=($!)
wait_for "waybar's tray watcher" 10 bus_has org.kde.StatusNotifierWatcher

foot sh -c 'sleep 600' >"$E2E_ROOT/foot.log" 2>&1 &
E2E_PIDS+=($!)
tree() { swaymsg -t get_tree; }
foot_shown() { [[ $(tree | jq '[.. | objects | select(.app_id? == "foot")] | length') -gt 0 ]]; }
wait_for "the terminal" 10 foot_shown

# Our windows as "x y width height focused", one a line, native or through XWayland.
our_windows() {
    tree | jq -r '.. | objects | select(.type? == "con" or .type? == "floating_con")
        | select(((.window_properties.class? // .app_id? // "") | test("tuckaway"; "i")))
        | "\(.rect.x) \(.rect.y) \(.rect.width) \(.rect.height) \(.focused)"'
}
panel_window() { our_windows | awk '$3 > 100 {print; found = 1} END {exit !found}'; }
panel_hidden() { ! panel_window; }
no_window_of_ours() { [ -z "$(our_windows)" ]; }
click() { swaymsg "seat - cursor set $1 $2; seat - cursor press button1; seat - cursor release button1" >/dev/null; }

log "start${E2E_QPA:+ on the $E2E_QPA platform}"
QT_QPA_PLATFORM=${E2E_QPA:-} "$E2E_APP" >>"$E2E_ROOT/app.log" 2>&1 &
APP_PID=$!
E2E_PIDS+=($APP_PID)
wait_for "the application on the bus" 10 bus_has_app
wait_for "the tray item with waybar's watcher" 10 registered
holds_for "no window of ours at start" 500 no_window_of_ours
screenshot "started"

log "tray click"
click 512 15 # the only item, in the middle of the bar
wait_for "the panel after a tray click" 5 panel_window
read -r px py pw ph focused <<<"$(panel_window)"
log "panel at $px,$py ${pw}x$ph, focused $focused"
screenshot "tray-click"

log "clicks in the panel keep it"
for spot in "$((px + pw / 2)) $((py + ph - 30))" "$((px + 30)) $((py + ph / 2))" "$((px + pw - 30)) $((py + ph - 60))"; do
    click $spot
done
holds_for "the panel stays open after clicks in it" 700 panel_window
screenshot "after-inside-clicks"

log "a click into another window closes it"
click 980 720
wait_for "the panel to close after a click into the terminal" 3 panel_hidden
screenshot "closed-by-terminal"

log "a click on the desktop closes it"
click 512 15
wait_for "the panel after a tray click" 5 panel_window
click 60 700
wait_for "the panel to close after a click on the desktop" 3 panel_hidden
screenshot "closed-by-desktop"
log "passed"
