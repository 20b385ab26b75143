# Helpers for the end-to-end journeys: a private X server (Xvfb) with a window manager
# (openbox) and a panel with a tray (tint2), fresh XDG folders, the real binary, and
# polling with deadlines. A journey runs inside dbus-run-session and sources this file.
# Usage: journey.sh <tuckaway binary> <screenshot folder>
set -euo pipefail

E2E_APP=$(realpath "$1")
E2E_SHOTS=$(realpath -m "$2")
E2E_JOURNEY=$(basename "$0" .sh)
E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/tuckaway-e2e.XXXXXX")
E2E_PIDS=()
E2E_SHOT_COUNT=0
APP_PID=""
TINT2_PID=""
E2E_START_NS=$(date +%s%N)
mkdir -p "$E2E_SHOTS"
rm -f "$E2E_SHOTS"/*.png

log() {
    local ms=$((($(date +%s%N) - E2E_START_NS) / 1000000))
    printf '[%3d.%03ds] %s\n' $((ms / 1000)) $((ms % 1000)) "$*"
}

e2e_cleanup() {
    local status=$?
    local report
    for report in "$E2E_ROOT"/sanitizer.*; do
        [ -e "$report" ] || continue
        printf -- '--- sanitizer report %s ---\n%s\n' "$(basename "$report")" "$(cat "$report")"
        status=1
    done
    if [ $status -ne 0 ]; then
        [ -z "${DISPLAY:-}" ] || printf -- '--- the X screen ---\n%s\n%s\n' \
            "$(xprop -root _NET_WORKAREA _NET_CLIENT_LIST _NET_ACTIVE_WINDOW 2>&1)" "$(xwininfo -root -tree 2>&1 | tail -n +6)"
        for log in app tint2 openbox xvfb; do
            [ -s "$E2E_ROOT/$log.log" ] && printf -- '--- %s output ---\n%s\n' "$log" "$(tail -n 100 "$E2E_ROOT/$log.log")"
        done
    fi
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    [ -n "${E2E_KEEP:-}" ] || rm -rf "$E2E_ROOT"
    exit $status
}
trap e2e_cleanup EXIT

# A journey still running after this long (ctest ends it at 120 s and says no more) tells
# what each of its processes and our program's threads are waiting in, while they still are.
e2e_watchdog() {
    # A sleep left behind when the journey ends must not hold ctest's end of the output open.
    sleep "$1" >/dev/null 2>&1 &
    wait $! || return 0
    log "STUCK after $1 s; where the journey's processes wait:"
    local pid task
    for pid in $(ps -e -o pid=,ppid= | awk -v top=$$ '{parent[$1] = $2}
            END {n = 1; list[1] = top; for (i = 1; i <= n; i++) for (p in parent)
                if (parent[p] == list[i]) list[++n] = p; for (i = 2; i <= n; i++) print list[i]}'); do
        ps -o pid=,stat=,wchan:28=,args= -p "$pid" 2>/dev/null | cut -c1-150 || true
        [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$E2E_APP" ] || continue
        if command -v gdb >/dev/null; then
            timeout 30 gdb -p "$pid" -batch -ex 'thread apply all bt 10' 2>/dev/null | grep -E '^(Thread|#)' || true
            continue
        fi
        for task in /proc/"$pid"/task/*; do
            printf '    %s %s in %s\n' "${task##*/}" "$(cat "$task/comm" 2>/dev/null)" "$(cat "$task/wchan" 2>/dev/null)"
            head -n 4 "$task/stack" 2>/dev/null | sed 's/^/        /' || true
        done
    done
}
e2e_watchdog "${E2E_WATCHDOG_SECONDS:-90}" &
E2E_PIDS+=($!)
# A sanitized build's reports, from any of our processes (the instance, the command-line
# client), go to files here: the journey fails on them even when the process went on.
[ -z "${ASAN_OPTIONS:-}" ] || export ASAN_OPTIONS=$ASAN_OPTIONS:log_path=$E2E_ROOT/sanitizer
[ -z "${UBSAN_OPTIONS:-}" ] || export UBSAN_OPTIONS=$UBSAN_OPTIONS:log_path=$E2E_ROOT/sanitizer

fail() {
    log "FAIL: $*"
    screenshot "failure" || true
    exit 1
}

# within <seconds> <command...>: runs the command until it succeeds, else fails when time is up.
within() {
    local deadline=$(($(date +%s%N) + $1 * 1000000000))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# wait_for <what> <seconds> <command...>: the same, failing the journey when time is up.
wait_for() {
    local what=$1 seconds=$2
    shift 2
    within "$seconds" "$@" || fail "timed out after ${seconds}s waiting for: $what"
}

# holds_for <what> <milliseconds> <command...>: the command keeps succeeding for that long.
holds_for() {
    local what=$1 ms=$2
    shift 2
    local deadline=$(($(date +%s%N) + ms * 1000000))
    while [ "$(date +%s%N)" -lt "$deadline" ]; do
        "$@" >/dev/null 2>&1 || fail "no longer true: $what"
        sleep 0.05
    done
}

# screenshot <name>: the whole screen, through $E2E_GRAB where X is not the display server.
screenshot() {
    E2E_SHOT_COUNT=$((E2E_SHOT_COUNT + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$E2E_SHOTS" "$E2E_SHOT_COUNT" "$1")
    ${E2E_GRAB:-import -display "$DISPLAY" -window root} "$file" 2>/dev/null && log "screenshot $file"
}

fresh_home() {
    export HOME=$E2E_ROOT/home
    export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
    export XDG_STATE_HOME=$HOME/.local/state XDG_RUNTIME_DIR=$E2E_ROOT/runtime
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION WAYLAND_DISPLAY
    unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME
    export LANG=C.UTF-8 LC_ALL=C.UTF-8 LANGUAGE=
    DATA_FILE=$XDG_DATA_HOME/Tuckaway/nooks.json
}

# Helpers keep "grep -q" out of pipelines: with pipefail, the writer's SIGPIPE fails a match.

# start_desktop: X server, window manager, and the panel on the given edge.
start_desktop() {
    start_x
    start_panel "${1:-bottom}"
    log "desktop $DISPLAY ready, panel at the ${1:-bottom}"
}

# start_x: a fresh home, the X server and the window manager, no panel.
start_x() {
    fresh_home
    # -noreset: by default the server resets when its last client leaves, and a reset drops
    # every client still in its handshake. A check's xprop leaving while openbox connects
    # took openbox down ("Failed to open the display") in about one start in 30 under load.
    Xvfb -displayfd 5 -noreset -screen 0 1024x768x24 -nolisten tcp 5>"$E2E_ROOT/display" >"$E2E_ROOT/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_for "the X server" 30 test -s "$E2E_ROOT/display"
    export DISPLAY=":$(head -n1 "$E2E_ROOT/display")"
    # Openbox announces itself (_NET_SUPPORTING_WM_CHECK) before it has finished starting, and
    # a window mapped in between may never be managed: a panel's strut then never counted
    # (in about one start in 40 under load). --startup runs once it handles every request.
    start_checked "the window manager" openbox --sm-disable --startup "touch $E2E_ROOT/openbox-started" \
        -- test -e "$E2E_ROOT/openbox-started"
    xsetroot -solid '#6f8fa8'
}

workarea() { xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | cut -d' ' -f1-4; }
workarea_is() { [ "$(workarea)" = "$1" ]; }

# start_panel <bottom|top|left|right>: (re)starts tint2 there and waits for its strut.
start_panel() {
    local edge=$1 position expected
    case $edge in
    bottom) position="bottom center horizontal" expected="0 0 1024 736" ;;
    top) position="top center horizontal" expected="0 32 1024 736" ;;
    left) position="center left vertical" expected="32 0 992 768" ;;
    right) position="center right vertical" expected="0 0 992 768" ;;
    esac
    if [ -n "$TINT2_PID" ]; then
        kill "$TINT2_PID"
        wait "$TINT2_PID" 2>/dev/null || true
    fi
    cat >"$E2E_ROOT/tint2rc" <<TINT2
background_color = #2b3945 100
panel_items = S
panel_size = 100% 32
panel_position = $position
panel_background_id = 1
panel_layer = top
strut_policy = follow_size
systray_padding = 4 4 4
systray_icon_size = 24
TINT2
    start_checked "tint2 at the $edge (work area $expected)" tint2 -c "$E2E_ROOT/tint2rc" -- workarea_is "$expected"
    TINT2_PID=$STARTED_PID
}

# start_checked <what> <program> <arguments...> -- <check...>: starts a program of the test
# bench, its output in $E2E_ROOT/<program>.log, and waits for the check.
start_checked() {
    local what=$1 command=()
    shift
    while [ "$1" != -- ]; do
        command+=("$1")
        shift
    done
    shift
    "${command[@]}" >"$E2E_ROOT/${command[0]}.log" 2>&1 &
    STARTED_PID=$!
    E2E_PIDS+=($STARTED_PID)
    wait_for "$what" 20 "$@"
}

# start_private_bus <service folder>: a session bus of our own that starts services from
# that folder with this environment (the X display, the fresh XDG folders).
start_private_bus() {
    # The system's session configuration, listening in our folder and with our services.
    sed -e "s|<listen>.*</listen>|<listen>unix:dir=$E2E_ROOT</listen>|" \
        -e "s|<standard_session_servicedirs */>|<servicedir>$1</servicedir>|" \
        /usr/share/dbus-1/session.conf >"$E2E_ROOT/bus.conf"
    dbus-daemon --config-file="$E2E_ROOT/bus.conf" --nofork --print-address=6 6>"$E2E_ROOT/bus-address" \
        2>"$E2E_ROOT/bus.log" &
    E2E_PIDS+=($!)
    wait_for "the private bus" 10 test -s "$E2E_ROOT/bus-address"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$E2E_ROOT/bus-address")
}

# A status-notifier item is registered with the tray's watcher.
registered() {
    local items
    items=$(gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems) &&
        [[ $items == *[a-zA-Z0-9]* && $items != *"@as []"* ]]
}

# The process that owns the application's bus name, for cleaning up after activation.
app_pid() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID org.tuckaway.Tuckaway | sed 's/[^0-9]*uint32 \([0-9]*\).*/\1/'
}

bus_has() {
    [[ $(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null) == *true* ]]
}
bus_has_app() { bus_has org.tuckaway.Tuckaway; }

# process_gone <pid>: ended (a zombie whose parent has not reaped it yet counts).
process_gone() {
    local stat
    stat=$(ps -o stat= -p "$1") || return 0
    [[ $stat == Z* ]]
}

# start_app [files...]: starts the binary and waits until it is on the bus with its tray
# icon (by default a window in the panel; E2E_TRAY=registered for a status-notifier tray).
start_app() {
    "$E2E_APP" "$@" >>"$E2E_ROOT/app.log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=($APP_PID)
    wait_for "the application on the bus" 10 bus_has_app
    wait_for "the tray icon (${E2E_TRAY:-tray_icon})" 10 "${E2E_TRAY:-tray_icon}"
}

quit_app() {
    app_call ActivateAction "'quit'" "[]" "{}"
    wait_for "the application to quit" 10 process_gone "$APP_PID"
    wait "$APP_PID" 2>/dev/null || true
}

app_call() {
    local method=$1
    shift
    gdbus call --session --dest org.tuckaway.Tuckaway --object-path /org/tuckaway/Tuckaway \
        --method "org.freedesktop.Application.$method" "$@" >/dev/null
}

# find_windows <xdotool search arguments>: the windows found, one per line. The search walks
# the window tree, and a window that goes meanwhile (a tooltip closing) ends it with an X
# error: such a walk is done again, rather than taken for "none there".
find_windows() {
    local found try err="$E2E_ROOT/search.$BASHPID.err"
    for try in 1 2 3 4 5; do
        found=$(xdotool search "$@" 2>"$err") && { echo "$found"; return 0; }
        grep -q "X Error" "$err" || return 1
    done
    cat "$err" >&2
    return 1
}

# our_window <min width> <max width>: a visible window of ours, named "Tuckaway", that wide.
our_window() {
    local w width
    for w in $(find_windows --onlyvisible --classname '^tuckaway$'); do
        [ "$(xdotool getwindowname "$w")" = "Tuckaway" ] || continue
        width=$(geometry "$w" | cut -d' ' -f3)
        [ "$width" -ge "$1" ] && [ "$width" -le "$2" ] && { echo "$w"; return 0; }
    done
    return 1
}
panel_window() { our_window 101 9999; }
tray_icon() { our_window 1 64; }
panel_hidden() { ! panel_window; }
# Shown and holding the focus: ready for clicks and keys.
panel_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$(panel_window)" ]; }
settings_window() {
    find_windows --onlyvisible --name '^Tuckaway Settings$' | awk 'NR == 1 {print; f = 1} END {exit !f}'
}

# icon_sizes <window>: the sizes of the icon it gives window lists, as "16x16 32x32".
icon_sizes() { xprop -id "$1" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]*\) x \([0-9]*\)).*/\1x\2/p' | xargs; }

# geometry <window>: "x y width height" in root coordinates.
geometry() {
    # Without a window xwininfo waits for the user to click one: it would hang the journey.
    [ -n "${1:-}" ] || { echo "geometry: no window given" >&2; return 1; }
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

click_at() { xdotool mousemove "$1" "$2" click "${3:-1}"; }

# activate_at <x> <y>: the launcher's Activate with the pointer there; waits for the panel.
activate_at() {
    xdotool mousemove "$1" "$2"
    app_call Activate "{}"
    wait_for "the panel after Activate" 5 panel_window
    read -r px py pw ph <<<"$(geometry "$(panel_window)")"
}

# centred_on <x> <tolerance>: the panel (px, pw) is centred on x.
centred_on() { local off=$((px + pw / 2 - $1)); [ "$off" -ge "-$2" ] && [ "$off" -le "$2" ]; }

# err_has <text>: the last command's stderr, saved in $E2E_ROOT/err, says it.
err_has() { [[ $(cat "$E2E_ROOT/err") == *"$1"* ]] || fail "stderr: $(cat "$E2E_ROOT/err")"; }

click_tray() {
    local x y w h
    read -r x y w h <<<"$(geometry "$(tray_icon)")"
    click_at $((x + w / 2)) $((y + h / 2))
}

# Item names of every nook in the data file, one a line ("nook/item").
data_items() { jq -r '.[] | .name as $g | .items[] | "\($g)/\(.name)"' "$DATA_FILE"; }
item_count() { jq '[.[].items[]] | length' "$DATA_FILE" 2>/dev/null || echo 0; }
item_count_is() { [ "$(item_count)" -eq "$1" ]; }
