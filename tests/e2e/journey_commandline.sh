#!/usr/bin/env bash
# Scripting the running instance from a shell that has no display: adding into a named
# nook, listing, the panel's commands, exit statuses, quitting; then adding files with
# neither a display nor a running instance.
source "$(dirname "$0")/lib.sh"

start_desktop bottom
mkdir -p "$HOME/docs"
echo "plan" >"$HOME/docs/plan.txt"
echo "notes" >"$HOME/docs/notes.md"
start_app
# Every command below runs as from a terminal without a display.
cli() { (unset DISPLAY && cd "$HOME/docs" && "$E2E_APP" "$@") 2>"$E2E_ROOT/err"; }
expect_status() {
    local want=$1 got=0
    shift
    cli "$@" >"$E2E_ROOT/out" || got=$?
    [ "$got" -eq "$want" ] || fail "tuckaway $* exited $got, not $want: $(cat "$E2E_ROOT/err")"
}

log "files into a new nook, one of them missing"
expect_status 0 --nook Work plan.txt gone.txt
err_has "not added, no such local file: $HOME/docs/gone.txt"
items_are() { [ "$(data_items)" = "$1" ]; }
wait_for "the item in the data file (written after the answer)" 5 items_are "Work/plan"
wait_for "the panel showing the new item" 5 panel_window
screenshot "added-to-work"
expect_status 0 --toggle
wait_for "the panel to close" 5 panel_hidden

log "nothing added: status 1 and the reason"
expect_status 1 --nook Work plan.txt
err_has "already in the nook: $HOME/docs/plan.txt"
expect_status 1 /no/such/file

log "listing, as text and as JSON"
expect_status 0 notes.md # into the current nook: the one just made
rm "$HOME/docs/notes.md"
expect_status 0 --list
printf -v want 'Favorites\nWork\n  plan\t%s\n  notes\tmissing\n' "$HOME/docs/plan.txt"
[ "$(cat "$E2E_ROOT/out")" = "${want%$'\n'}" ] || fail "list: $(cat "$E2E_ROOT/out")"
expect_status 0 --list --json
[ "$(jq -r '.[1].items[0].path, .[1].items[1].missing' "$E2E_ROOT/out")" = "$HOME/docs/plan.txt"$'\n'true ] ||
    fail "json: $(cat "$E2E_ROOT/out")"
expect_status 2 --list --quit
expect_status 2 --no-such-option
[[ $(cli --help) == *Usage:* ]] || fail "--help"

log "quit, then the commands that need a running instance say it is not"
expect_status 0 --quit
wait_for "the application to end" 5 process_gone "$APP_PID"
expect_status 1 --list
err_has "not running"
expect_status 1 --show

log "files with neither display nor instance go straight into the data file"
echo "late" >"$HOME/docs/late.txt"
expect_status 0 --nook Later late.txt
! bus_has_app || fail "adding without a display started the application"
[ "$(data_items | tail -n1)" = "Later/late" ] || fail "items: $(data_items)"
log "passed"
