#!/usr/bin/env bash
# Previews and web links on a real desktop: a picture shows the preview the thumbnail cache
# holds for it (not one made from the picture), a web address given on the command line
# becomes a link item that opens through the desktop's opener, other addresses are refused,
# and at start the link files no item refers to go (only ours).
source "$(dirname "$0")/lib.sh"

start_desktop bottom
mkdir -p "$HOME/pics" "$E2E_ROOT/bin" "$XDG_DATA_HOME/applications" "$XDG_DATA_HOME/Tuckaway/links"
convert -size 256x256 xc:'#d02020' "$HOME/pics/red.png"
# The cache's entry for it is green: a green cell can only come from the cache.
uri="file://$HOME/pics/red.png"
thumbs=$XDG_CACHE_HOME/thumbnails/normal
mkdir -p "$thumbs"
convert -size 128x128 xc:'#20c020' -set Thumb::URI "$uri" -set Thumb::MTime "$(stat -c %Y "$HOME/pics/red.png")" \
    "$thumbs/$(printf '%s' "$uri" | md5sum | cut -d' ' -f1).png"
# The desktop's opener, recording what it is given; and a browser for web pages.
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened"\n' "$E2E_ROOT" >"$E2E_ROOT/bin/xdg-open"
chmod +x "$E2E_ROOT/bin/xdg-open"
export PATH=$E2E_ROOT/bin:$PATH
printf '[Desktop Entry]\nType=Application\nName=Browser\nExec=true %%u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n' \
    >"$XDG_DATA_HOME/applications/browser.desktop"
update-desktop-database "$XDG_DATA_HOME/applications" # the index installing an application makes
# Left from an earlier run: an unused link of ours, and a file that is not ours.
links=$XDG_DATA_HOME/Tuckaway/links
printf '[Desktop Entry]\nX-Tuckaway-Link=true\nType=Link\nURL=https://old.org/\n' >"$links/old.org.desktop"
printf '[Desktop Entry]\nType=Link\nURL=https://kept.org/\n' >"$links/kept.org.desktop"
start_app
wait_for "the unused link of ours to go" 5 test ! -e "$links/old.org.desktop"
[ -e "$links/kept.org.desktop" ] || fail "a link file that is not ours was removed"

log "a web address and a picture from the command line; another scheme refused"
"$E2E_APP" https://example.org/docs/page 2>"$E2E_ROOT/err" || fail "adding a web address: $(cat "$E2E_ROOT/err")"
"$E2E_APP" "$HOME/pics/red.png" 2>"$E2E_ROOT/err" || fail "adding a picture: $(cat "$E2E_ROOT/err")"
[ "$(data_items | tr '\n' ' ')" = "Favorites/example.org/docs/page Favorites/red " ] ||
    fail "items: $(data_items | tr '\n' ' ')"
grep -qx 'X-Tuckaway-Link=true' "$links/example.org-docs-page.desktop" || fail "no link file of ours"
status=0
"$E2E_APP" ftp://example.org/f 2>"$E2E_ROOT/err" || status=$?
[ "$status" -eq 1 ] || fail "ftp exited $status"
err_has "only files and web pages (http, https) can be added: ftp://example.org/f"

log "the panel shows the cached preview"
activate_at 500 400
colour_share() { # the share of the panel's pixels near this colour
    import -display "$DISPLAY" -window "$(panel_window)" png:- 2>/dev/null |
        convert - -fuzz 12% -fill black +opaque "$1" -fill white +opaque black -format '%[fx:mean]' info:
}
green_shows() { awk -v s="$(colour_share '#20c020')" 'BEGIN { exit !(s > 0.002) }'; }
wait_for "the green preview from the cache" 5 green_shows
awk -v s="$(colour_share '#d02020')" 'BEGIN { exit !(s < 0.0005) }' || fail "a preview made from the picture shows"
screenshot "preview-from-cache"

log "the link item opens through the desktop's opener"
wait_for "the panel, with the focus" 5 panel_active
xdotool key Return # the focus starts on the first item: the link
wait_for "xdg-open to be called" 5 test -s "$E2E_ROOT/opened"
[ "$(cat "$E2E_ROOT/opened")" = "https://example.org/docs/page" ] || fail "opened: $(cat "$E2E_ROOT/opened")"
log "passed"
