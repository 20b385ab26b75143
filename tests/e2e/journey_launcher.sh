#!/usr/bin/env bash
# The desktop's launch protocol. Launchers that speak D-Bus (gapplication here) start
# the application through the bus service and show the panel at once; launchers that
# run the entry's Exec line (gio launch) reach the running instance through a second
# start. Files handed over either way are added; the desktop action "quit" ends it.
source "$(dirname "$0")/lib.sh"
resources=$(dirname "$0")/../../resources

start_desktop bottom
mkdir -p "$E2E_ROOT/services" "$XDG_DATA_HOME/applications" "$HOME/docs"
sed "s|@TUCKAWAY_SERVICE_EXEC@|$E2E_APP|" "$resources/org.tuckaway.Tuckaway.service.in" \
    >"$E2E_ROOT/services/org.tuckaway.Tuckaway.service"
cp "$resources/org.tuckaway.Tuckaway.desktop" "$XDG_DATA_HOME/applications/"
entry=$XDG_DATA_HOME/applications/org.tuckaway.Tuckaway.desktop
# As installed: the entry's Exec names the program on the PATH.
mkdir -p "$E2E_ROOT/bin"
ln -s "$E2E_APP" "$E2E_ROOT/bin/tuckaway"
export PATH=$E2E_ROOT/bin:$PATH
start_private_bus "$E2E_ROOT/services"
echo "plan" >"$HOME/docs/plan.txt"
echo "list" >"$HOME/docs/list.txt"

[[ $'\n'$(gapplication list-apps)$'\n' == *$'\n'org.tuckaway.Tuckaway$'\n'* ]] || fail "the entry is not seen as D-Bus activatable"

log "first launcher click starts the application and shows the panel"
xdotool mousemove 400 300
gapplication launch org.tuckaway.Tuckaway
wait_for "the application on the bus" 10 bus_has_app
E2E_PIDS+=($(app_pid))
wait_for "the panel" 5 panel_window
wait_for "the tray icon" 5 tray_icon
read -r px py pw ph <<<"$(geometry "$(panel_window)")"
centred_on 400 1 || fail "panel not at the pointer"
screenshot "first-launch"

log "the next click, through the entry's Exec line, closes it"
gio launch "$entry"
wait_for "the panel to close" 5 panel_hidden

log "a file dropped on the launcher"
gio launch "$entry" "$HOME/docs/plan.txt"
wait_for "the panel" 5 panel_window
wait_for "the file in the current nook" 5 item_count_is 1
[ "$(data_items)" = "Favorites/plan" ] || fail "items: $(data_items)"
screenshot "file-from-launcher"

log "quit from the desktop action, then a file starts it again"
pid=$(app_pid)
gapplication action org.tuckaway.Tuckaway quit
no_app() { ! bus_has_app && process_gone "$pid"; }
wait_for "the application to end" 10 no_app
gapplication launch org.tuckaway.Tuckaway "$HOME/docs/list.txt"
wait_for "the application on the bus again" 10 bus_has_app
E2E_PIDS+=($(app_pid))
wait_for "the panel" 5 panel_window
wait_for "the second file" 5 item_count_is 2
[ "$(data_items)" = "$(printf 'Favorites/plan\nFavorites/list')" ] || fail "items: $(data_items)"

log "quit again; a file dropped on a launcher that runs the Exec line starts it with the file"
pid=$(app_pid)
gapplication action org.tuckaway.Tuckaway quit
wait_for "the application to end" 10 no_app
echo "memo" >"$HOME/docs/memo.txt"
gio launch "$entry" "$HOME/docs/memo.txt"
wait_for "the application on the bus again" 10 bus_has_app
E2E_PIDS+=($(app_pid))
wait_for "the third file" 5 item_count_is 3
[ "$(data_items | tail -1)" = "Favorites/memo" ] || fail "items: $(data_items)"
log "passed"
