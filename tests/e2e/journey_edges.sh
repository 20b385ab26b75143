#!/usr/bin/env bash
# The desktop's panel on each of the four edges: a click on the tray icon opens the
# panel on the matching side, next to it and inside the usable area. The application
# keeps running while the panel moves, so it follows the change of the work area.
source "$(dirname "$0")/lib.sh"

start_desktop bottom
start_app

for edge in bottom top left right; do
    log "tint2 at the $edge"
    start_panel "$edge"
    wait_for "the tray icon in the moved panel" 10 tray_icon
    read -r ax ay aw ah <<<"$(workarea)"
    click_tray
    wait_for "the panel on the $edge" 5 panel_window
    read -r tx ty tw th <<<"$(geometry "$(tray_icon)")"
    read -r px py pw ph <<<"$(geometry "$(panel_window)")"
    log "tray at $tx,$ty; panel at $px,$py ${pw}x$ph; usable $ax,$ay ${aw}x$ah"
    [ "$px" -ge "$ax" ] && [ "$py" -ge "$ay" ] && [ $((px + pw)) -le $((ax + aw)) ] &&
        [ $((py + ph)) -le $((ay + ah)) ] || fail "the panel leaves the usable area"
    case $edge in
    bottom) gap=$((ay + ah - py - ph)) along=$((px + pw / 2 - tx - tw / 2)) ;;
    top) gap=$((py - ay)) along=$((px + pw / 2 - tx - tw / 2)) ;;
    left) gap=$((px - ax)) along=0 ;;
    right) gap=$((ax + aw - px - pw)) along=0 ;;
    esac
    [ "$gap" -gt 0 ] && [ "$gap" -le 40 ] || fail "the panel is not next to the $edge panel (gap $gap)"
    # Along the edge it follows the pointer unless the screen's end pushes it back.
    if [ "$along" -ne 0 ] && [ "$px" -ne "$ax" ] && [ $((px + pw)) -ne $((ax + aw)) ]; then
        fail "the panel is not at the pointer ($along off)"
    fi
    screenshot "panel-$edge"
    click_tray
    wait_for "the panel to close" 5 panel_hidden
done

log "passed"
