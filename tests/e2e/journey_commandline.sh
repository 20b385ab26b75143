#!/usr/bin/env bash
# Scripting the running instance from a shell that has no display: adding into a named
# nook, quietly and on disk by the time the command returns (new nooks call after call,
# and thousands of files at once); listing; the panel's commands, exit statuses,
# quitting; then commands that start the instance in the background and return, and
# adding files with neither a display nor a running instance.
source "$(dirname "$0")/lib.sh"

start_desktop bottom
mkdir -p "$HOME/docs"
for name in plan.txt notes.md a.txt b.txt; do echo "$name" >"$HOME/docs/$name"; done
start_app
# Every command below runs as from a terminal without a display.
cli() { (unset DISPLAY && cd "$HOME/docs" && "$E2E_APP" "$@") 2>"$E2E_ROOT/err"; }
expect_status() {
    local want=$1 got=0
    shift
    cli "$@" >"$E2E_ROOT/out" || got=$?
    local call="tuckaway $*"
    [ "$got" -eq "$want" ] || fail "${call:0:100} exited $got, not $want: $(head -n 3 "$E2E_ROOT/err")"
}
# The data file is read the moment each command returns: no waiting.
items_are() { [ "$(data_items)" = "$1" ] || fail "items: $(data_items | tr '\n' ' '), not: $1"; }

log "files into a new nook, one of them missing: on disk when the command returns, quietly"
expect_status 0 --nook Work plan.txt gone.txt
items_are "Work/plan"
err_has "not added, no such local file: $HOME/docs/gone.txt"
expect_status 0 notes.md # into the current nook, which the new one did not become
items_are "$(printf 'Favorites/notes\nWork/plan')"
for file in a.txt b.txt; do
    expect_status 0 --nook Work "$file"
done
items_are "$(printf 'Favorites/notes\nWork/plan\nWork/a\nWork/b')"
panel_hidden || fail "a scripted add showed the panel"
expect_status 0 --toggle
wait_for "the panel, with the focus" 5 panel_active
screenshot "current-nook-unchanged"
expect_status 0 --toggle
wait_for "the panel to close" 5 panel_hidden

log "nothing added: status 1 and the reason"
expect_status 1 --nook Work plan.txt
err_has "already in the nook: $HOME/docs/plan.txt"
expect_status 1 /no/such/file
expect_status 2 --nook "$(printf 'n%.0s' {1..1001})" plan.txt
err_has "at most 1000 characters"

log "listing, as text and as JSON"
rm "$HOME/docs/notes.md"
expect_status 0 --list
printf -v want 'Favorites\n  notes\tmissing\nWork\n  plan\t%s\n  a\t%s\n  b\t%s\n' \
    "$HOME/docs/plan.txt" "$HOME/docs/a.txt" "$HOME/docs/b.txt"
[ "$(cat "$E2E_ROOT/out")" = "${want%$'\n'}" ] || fail "list: $(cat "$E2E_ROOT/out")"
expect_status 0 --list --json
[ "$(jq -r '.[1].items[0].path, .[0].items[0].missing' "$E2E_ROOT/out")" = "$HOME/docs/plan.txt"$'\n'true ] ||
    fail "json: $(cat "$E2E_ROOT/out")"
expect_status 2 --list --quit
expect_status 2 --no-such-option
[[ $(cli --help) == *Usage:* ]] || fail "--help"

log "a new nook for each of 15 calls in a row, then 3,000 files into one more"
for i in $(seq 15); do expect_status 0 --nook "Nook $i" plan.txt; done
mkdir "$HOME/docs/many"
(cd "$HOME/docs/many" && seq -f 'f%04g' 3000 | xargs touch)
expect_status 0 --nook Many "$HOME"/docs/many/*
[ "$(item_count)" -eq 3019 ] || fail "items: $(item_count), not 4 + 15 + 3,000"
# Adds fall back to writing the data file when no instance answers: the counts alone
# would not notice one that ended.
bus_has_app || fail "the instance ended during these calls"

log "quit, then the commands that need a running instance say it is not"
expect_status 0 --quit
wait_for "the application to end" 5 process_gone "$APP_PID"
expect_status 1 --list
err_has "not running"
expect_status 1 --show
err_has "cannot start without a display"

log "with a display but no instance, a command starts one in the background and returns"
echo "fresh" >"$HOME/docs/fresh.txt"
(cd "$HOME/docs" && timeout 20 "$E2E_APP" --nook Later fresh.txt) 2>"$E2E_ROOT/err" || fail "add: $(cat "$E2E_ROOT/err")"
E2E_PIDS+=($(app_pid))
[ "$(data_items | tail -n1)" = "Later/fresh" ] || fail "items: $(data_items)"
panel_hidden || fail "the started instance showed the panel"
timeout 20 "$E2E_APP" --show || fail "--show did not return"
wait_for "the panel" 5 panel_window
expect_status 0 --quit
no_app() { ! bus_has_app; }
wait_for "the application to end" 5 no_app

log "files with neither display nor instance go straight into the data file"
echo "late" >"$HOME/docs/late.txt"
expect_status 0 --nook Later late.txt
! bus_has_app || fail "adding without a display started the application"
[ "$(data_items | tail -n1)" = "Later/late" ] || fail "items: $(data_items)"
log "passed"
