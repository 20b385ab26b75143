#!/usr/bin/env bash
# The data file shared with another machine: while Tuckaway runs, a second process replaces
# nooks.json as a sync tool or a git pull does (a new file renamed over the old one) with a
# version holding one more nook; a file added from the command line right after joins that
# version instead of writing over it, and the instance shows both. Then the nooks are
# exported, and imported into a fresh data folder.
source "$(dirname "$0")/lib.sh"

start_desktop bottom
mkdir -p "$HOME/docs"
for name in plan.txt notes.md; do echo "$name" >"$HOME/docs/$name"; done
start_app
cli() { (cd "$HOME/docs" && "$E2E_APP" "$@") 2>"$E2E_ROOT/err" >"$E2E_ROOT/out" || fail "tuckaway $*: $(cat "$E2E_ROOT/err")"; }
items_are() { [ "$(data_items)" = "$1" ] || fail "items: $(data_items | tr '\n' ' '), not: $1"; }
nooks_are() { [ "$(jq -r "[$2[].name] | join(\",\")" "$1")" = "$3" ] || fail "nooks in $1: $(cat "$1")"; }

log "a file added; the data file replaced from elsewhere; another file added at once"
cli plan.txt
items_are "Favorites/plan"
jq -c '. + [{"id": "0B9D1C52-6A6B-4C0E-9E4C-7D1F2A3B4C5D", "name": "Elsewhere", "items": []}]' \
    "$DATA_FILE" >"$DATA_FILE.sync-tmp"
mv "$DATA_FILE.sync-tmp" "$DATA_FILE"
cli notes.md
items_are "$(printf 'Favorites/plan\nFavorites/notes')"
nooks_are "$DATA_FILE" . "Favorites,Elsewhere"
cli --list
[[ $(cat "$E2E_ROOT/out") == *$'\nElsewhere'* ]] || fail "the instance does not show the other nook: $(cat "$E2E_ROOT/out")"
cli --show
wait_for "the panel" 5 panel_window
screenshot "both-nooks"

log "export, then import into a fresh data folder"
cli --export "$E2E_ROOT/export.json"
nooks_are "$E2E_ROOT/export.json" .nooks "Favorites,Elsewhere"
quit_app
rm -r "$XDG_DATA_HOME/Tuckaway"
start_app
cli --import "$E2E_ROOT/export.json"
[ "$(cat "$E2E_ROOT/out")" = "Imported 2 items, 1 new nooks; skipped 0 already there and 0 not found" ] ||
    fail "import: $(cat "$E2E_ROOT/out")"
items_are "$(printf 'Favorites/plan\nFavorites/notes')"
nooks_are "$DATA_FILE" . "Favorites,Elsewhere"
log "passed"
