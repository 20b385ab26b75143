#!/usr/bin/env bash
# Beside lxqt-panel's status-notifier tray: the item registers with its watcher, a click on
# the icon opens the panel at the tray, and a click on the desktop closes it.
source "$(dirname "$0")/lib.sh"

start_x
# Half the screen's width, centred, with nothing but the status-notifier tray.
mkdir -p "$XDG_CONFIG_HOME/lxqt"
cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<CONF
[panel1]
plugins=statusnotifier
position=Bottom
alignment=0
width=50
widthPercent=true
panelSize=32

[statusnotifier]
type=statusnotifier
CONF
lxqt-panel >"$E2E_ROOT/lxqt-panel.log" 2>&1 &
E2E_PIDS+=($!)
wait_for "lxqt-panel's strut" 10 workarea_is "0 0 1024 736"

log "start"
E2E_TRAY=registered start_app
read -r lx ly lw lh <<<"$(geometry "$(find_windows --onlyvisible --classname '^lxqt-panel$' | head -n1)")"
# The icon is the only thing drawn on the bar: its bounding box against the background.
icon_box() {
    import -display "$DISPLAY" -window root png:- | convert - -crop "${lw}x$lh+$lx+$ly" -fuzz 10% -format '%@' info:
}
icon_drawn() { [ "$(icon_box | cut -d'x' -f1)" -lt "$lw" ]; }
wait_for "the icon on the bar" 10 icon_drawn
IFS='x+' read -r iw ih ix iy <<<"$(icon_box)"
cx=$((lx + ix + iw / 2)) cy=$((ly + iy + ih / 2))
log "bar at $lx,$ly ${lw}x$lh, icon ${iw}x$ih at $cx,$cy"
panel_hidden || fail "a panel is shown at launch"
screenshot "started"

log "tray click"
click_at "$cx" "$cy"
wait_for "the panel after a tray click" 5 panel_window
read -r px py pw ph <<<"$(geometry "$(panel_window)")"
log "panel at $px,$py ${pw}x$ph"
centred_on "$cx" 2 || fail "panel not above the icon: x $px"
gap=$((ly - py - ph))
[ "$gap" -ge 0 ] && [ "$gap" -le 40 ] || fail "panel not next to lxqt-panel: gap $gap"
screenshot "tray-click"

log "a click on the desktop closes it"
click_at 900 100
wait_for "a click on the desktop to close the panel" 3 panel_hidden
log "passed"
