#!/usr/bin/env bash
# Packs the built tree into a .deb (cpack on this build, stripped), then checks it as an
# installer would see it: control fields with the computed Depends, the files unpacked into
# a fresh root, the unpacked program's --version, the validators on the shipped entry and
# metainfo, and lintian (errors fail; warnings are printed).
# Usage: check_package.sh <build folder>
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/tuckaway-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/tuckaway_*.deb)
echo "package: $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tuckaway ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
version=$(field Version)
depends=$(field Depends)
echo "Depends: $depends"
[[ ", $(field Recommends)," == *", qt6-wayland,"* ]] || fail "Recommends lacks qt6-wayland: $(field Recommends)"
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6dbus6 libqt6svg6 libglib2.0-0 libxcb1 libxcb-xinput0; do
    [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "Depends lacks $lib"
done

dpkg -x "$deb" "$work/root"
for file in usr/bin/tuckaway \
    usr/share/applications/org.tuckaway.Tuckaway.desktop \
    usr/share/metainfo/org.tuckaway.Tuckaway.metainfo.xml \
    usr/share/dbus-1/services/org.tuckaway.Tuckaway.service \
    usr/share/dbus-1/interfaces/org.tuckaway.Tuckaway.xml \
    usr/share/icons/hicolor/scalable/apps/org.tuckaway.Tuckaway.svg \
    usr/share/icons/hicolor/48x48/apps/org.tuckaway.Tuckaway.png \
    usr/share/icons/hicolor/128x128/apps/org.tuckaway.Tuckaway.png \
    usr/share/man/man1/tuckaway.1.gz \
    usr/share/bash-completion/completions/tuckaway \
    usr/share/doc/tuckaway/copyright; do
    [ -s "$work/root/$file" ] || fail "missing $file"
done
# Nothing from the build's own tests, benchmarks or headers.
unexpected=$(cd "$work/root" && find . -type f | grep -v -e '^./usr/bin/tuckaway$' -e '^./usr/share/' || true)
[ -z "$unexpected" ] || fail "unexpected files: $unexpected"
for size in 48 128; do
    [[ $(file -b "$work/root/usr/share/icons/hicolor/${size}x$size/apps/org.tuckaway.Tuckaway.png") == *"$size x $size"* ]] ||
        fail "the $size px icon has another size"
done
grep -qx 'Exec=/usr/bin/tuckaway --background' "$work/root/usr/share/dbus-1/services/org.tuckaway.Tuckaway.service" ||
    fail "the bus service does not start /usr/bin/tuckaway"
[[ $(zcat "$work/root/usr/share/man/man1/tuckaway.1.gz") == *".SH EXIT STATUS"* ]] || fail "man page"

completes() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tuckaway; echo "${COMPREPLY[*]}"' _ \
        "$work/root/usr/share/bash-completion/completions/tuckaway" "$@"
}
[ "$(completes tuckaway --li)" = "--list" ] || fail "completing --li: $(completes tuckaway --li)"
[ "$(completes tuckaway --list '')" = "--json" ] || fail "completing after --list"

out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/tuckaway" --version)
[ "$out" = "Tuckaway ${version%%-*}" ] || fail "--version printed: $out"

desktop-file-validate "$work/root/usr/share/applications/org.tuckaway.Tuckaway.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.tuckaway.Tuckaway.metainfo.xml"

lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"
echo "passed"
