#!/usr/bin/env bash
# Bash completion against a real instance's nooks (offscreen, in a private bus): each name
# is one word, quoted as the word typed began; nothing in it runs. Usage: dbus-run-session --
# bash completion.sh TUCKAWAY COMPLETION_SCRIPT
set -u
app=$(realpath "$1") script=$(realpath "$2") root=$(mktemp -d) pid=
trap '[ -n "$pid" ] && kill $pid && wait $pid; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
export HOME=$root/home XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config XDG_CACHE_HOME=$root/cache
export XDG_RUNTIME_DIR=$root/runtime QT_QPA_PLATFORM=offscreen PATH=$root/bin:$PATH
mkdir -p "$HOME" "$root/bin" "$root/files" && mkdir -m 700 "$XDG_RUNTIME_DIR" && cd "$root" || exit 1
ln -s "$app" bin/tuckaway
tuckaway 2>app.log &
pid=$!
for ((i = 0; i < 100; i++)); do tuckaway --nook-names >/dev/null 2>&1 && break || sleep 0.1; done

names=('Project plans' '$(touch pwned-dollar)' '`touch pwned-tick`' "it's \"quoted\"" $'two\nlines' Projects)
echo x >file.txt
for name in "${names[@]}"; do tuckaway --nook "$name" file.txt || fail "no nook $name: $(cat app.log)"; done
touch files/$'one\ntwo.txt' files/other.txt
source "$script"
complete_word() { # WORD PREVIOUS
    COMP_WORDS=(tuckaway "$2" "$1") COMP_CWORD=2 COMPREPLY=()
    _tuckaway 2>/dev/null
}

# typed, previous word, the one candidate as the shell reads it back (files: as readline gets it)
cases=(
    'Project\ p' --nook 'Project plans' "'Project p" --nook 'Project plans'
    '\$(' --nook '$(touch pwned-dollar)' "'\$(" --nook '$(touch pwned-dollar)' '"$(' --nook '$(touch pwned-dollar)'
    '\`' --nook '`touch pwned-tick`' 'two' --nook $'two\nlines'
    'it' --nook "it's \"quoted\"" "'it" --nook "it's \"quoted\"" '"it' --nook "it's \"quoted\""
    "$root/files/one" "$root" "$root/files/one"$'\n'two.txt
)
for ((i = 0; i < ${#cases[@]}; i += 3)); do
    typed=${cases[i]} want=${cases[i + 2]} words=()
    complete_word "$typed" "${cases[i + 1]}"
    [ "${#COMPREPLY[@]}" -eq 1 ] || fail "$typed: $(declare -p COMPREPLY)"
    quote=${typed:0:1} && [[ $quote == [\'\"] ]] || quote=
    close=$quote && [[ ${COMPREPLY[0]} == *"$quote" ]] && close= # as readline closes an opened quote
    if [ "${cases[i + 1]}" = --nook ]; then eval "words=($quote${COMPREPLY[0]}$close)"; else words=("${COMPREPLY[@]}"); fi
    [ "${#words[@]}" -eq 1 ] && [ "${words[0]}" = "$want" ] || fail "$typed: ${COMPREPLY[0]} reads $(declare -p words)"
done
complete_word '' --nook # every nook once: a newline in a name makes no second one
[ "${#COMPREPLY[@]}" -eq $((${#names[@]} + 1)) ] || fail "all nooks: $(declare -p COMPREPLY)"
! ls | grep pwned || fail "a name was run"
echo "PASS: $((${#cases[@]} / 3)) words"
