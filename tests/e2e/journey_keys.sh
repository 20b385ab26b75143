#!/usr/bin/env bash
# The keys that show and hide the panel from anywhere, keys another program sends to the
# panel, and an item dragged out of the panel into a window of another program.
# Usage: journey_keys.sh <tuckaway binary> <screenshot folder> <drop target binary>
source "$(dirname "$0")/lib.sh"
DROP_TARGET=$(realpath "$3")

start_desktop bottom
mkdir -p "$HOME/docs"
echo "quarterly numbers" >"$HOME/docs/report.txt"
"$DROP_TARGET" >"$E2E_ROOT/dropped.txt" 2>"$E2E_ROOT/droptarget.log" &
E2E_PIDS+=($!)
wait_for "the drop target" 10 find_windows --onlyvisible --name '^Drop target$'

log "start, one file handed over"
start_app
(cd "$HOME/docs" && "$E2E_APP" report.txt) || fail "the hand-over did not exit 0"
"$E2E_APP" --show
wait_for "the panel" 5 panel_window

log "Ctrl+Alt+Space closes the panel, and opens it again at the pointer"
xdotool key ctrl+alt+space
wait_for "the panel to close on the shortcut" 5 panel_hidden
xdotool mousemove 300 200
xdotool key ctrl+alt+space
wait_for "the panel to open on the shortcut" 5 panel_window
read -r px py pw ph <<<"$(geometry "$(panel_window)")"
[ "$px" -le 300 ] && [ $((px + pw)) -ge 300 ] || fail "the panel at x $px..$((px + pw)) is not under the pointer"
screenshot "opened-by-shortcut"

log "Escape left down closes the panel once; it opens again all the same"
# As "xdotool key --window PANEL Escape" leaves it: the press goes through the keyboard while
# the panel has the focus, the release to the window once it has closed, so the keyboard keeps
# Escape down and repeats it into every later showing.
xdotool keydown Escape
wait_for "the panel to close on Escape" 5 panel_hidden
"$E2E_APP" --show
wait_for "the panel to open again" 5 panel_window
holds_for "the panel staying open" 1000 panel_window
xdotool keyup Escape # let go, or it would cancel the drag below
panel=$(panel_window) || fail "the panel closed as Escape was let go"
read -r px py pw ph <<<"$(geometry "$panel")"

log "the item dragged onto the other program's window"
read -r tx ty tw th <<<"$(geometry "$(find_windows --onlyvisible --name '^Drop target$' | head -n1)")"
# Pressed on the item, the pointer moves over the target (a little each time, so the drag
# sees motion) until the target has seen the drag come over it.
over_target() {
    xdotool mousemove $((tx + tw / 2 + RANDOM % 9 - 4)) $((ty + th / 2))
    grep -qx over "$E2E_ROOT/droptarget.log"
}
xdotool mousemove $((px + 60)) $((py + 93)) mousedown 1
wait_for "the drag over the drop target" 10 over_target
xdotool mouseup 1
wait_for "the URL at the drop target" 10 grep -qx "file://$HOME/docs/report.txt" "$E2E_ROOT/dropped.txt"
[ "$(wc -l <"$E2E_ROOT/dropped.txt")" -eq 1 ] || fail "dropped: $(cat "$E2E_ROOT/dropped.txt")"
[ "$(item_count)" -eq 1 ] || fail "the drag out changed the items"
[ -f "$HOME/docs/report.txt" ] || fail "the file was moved"
log "done"
