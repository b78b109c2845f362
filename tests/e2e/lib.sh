# shellcheck shell=bash disable=SC2034
# (SC2034: the E2E_* constants are for the scripts that source this file.)
# Shared helpers for the end-to-end tests: the real lumiroka binary on a private X
# server (Xvfb) with a window manager (openbox) and a notification area (trayer), driven
# through xdotool as a person would use it.
#
# Usage in a test script:
#   source "$(dirname "$0")/lib.sh"
#   e2e_init "$1"            # path of the lumiroka binary; sets the EXIT trap
#   e2e_start_session        # Xvfb + openbox + trayer on a free display
#   e2e_launch_app           # starts the program, sets APP_PID
#   win=$(e2e_main_window)   # its visible 222x138 main window
#   ...checks with e2e_check / e2e_fail...
#   e2e_finish               # prints the summary and exits 0 or 1
#
# Everything runs with a private HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR under one
# temporary directory, removed at exit together with every process started here.

# ------------------------------------------------------------------ state

E2E_NAME=$(basename "${0%.sh}")
E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_TMP=""
E2E_BIN=""
E2E_PIDS=()          # background processes to end at exit (session + apps)
E2E_FAILURES=0
E2E_CHECKS=0
E2E_START_NS=$(date +%s%N)
E2E_ARTIFACTS=${E2E_ARTIFACTS:-/tmp/lumiroka-e2e-artifacts}
E2E_BUDGET_S=${E2E_BUDGET_S:-75} # whole-script limit; ctest's TIMEOUT is 90
E2E_WATCHDOG_PID=""
E2E_XVFB_PID=""
E2E_DISPLAY_NUM=""
APP_PID=""
APP_LOG=""
E2E_AT_EXIT=()       # commands run at exit once the programs have ended (e2e_at_exit)

# Client size of the main window.
readonly E2E_MAIN_W=222
readonly E2E_MAIN_H=138
readonly E2E_SCREEN_W=1024
readonly E2E_SCREEN_H=768

# Controls of the main window, "x y" of a point inside them, client coordinates.
readonly E2E_PT_STARTSTOP="168 61"
readonly E2E_PT_RESET="168 77"
readonly E2E_PT_OPTION="168 93"
readonly E2E_PT_END="168 109"
readonly E2E_PT_CHARACTER="56 60"
readonly E2E_PT_HOUR_UP="140 40"   # hourbar 120,32,25,17: right arrow
readonly E2E_PT_HOUR_DOWN="124 40" # left arrow
readonly E2E_PT_MIN_UP="176 40"
readonly E2E_PT_MIN_DOWN="160 40"
readonly E2E_PT_SEC_UP="212 40"
readonly E2E_PT_SEC_DOWN="196 40"
# Areas "WxH+X+Y" for screenshots.
readonly E2E_AREA_DIGITS="109x31+114+0"
readonly E2E_AREA_BARS="102x17+118+32"
readonly E2E_AREA_BUTTONS="97x65+120+53"
readonly E2E_AREA_CHARACTER="113x121+0+0"
readonly E2E_AREA_SPEECH="222x17+0+121"

# ------------------------------------------------------------------ reporting

e2e_log() { printf '[%s %6.2fs] %s\n' "$E2E_NAME" "$(e2e_elapsed)" "$*"; }

# Seconds since the script started, with two decimals.
e2e_elapsed() {
    local now
    now=$(date +%s%N)
    awk -v a="$E2E_START_NS" -v b="$now" 'BEGIN { printf "%.2f", (b - a) / 1e9 }'
}

e2e_now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Seconds (possibly fractional) to whole milliseconds.
e2e_ms() { awk -v t="$1" 'BEGIN { printf "%d", t * 1000 }'; }

e2e_fail() {
    E2E_FAILURES=$((E2E_FAILURES + 1))
    printf '[%s %6.2fs] FAIL: %s\n' "$E2E_NAME" "$(e2e_elapsed)" "$*" >&2
}

e2e_pass() { printf '[%s %6.2fs] ok: %s\n' "$E2E_NAME" "$(e2e_elapsed)" "$*"; }

# e2e_check DESCRIPTION COMMAND...: runs the command, records a pass or a failure.
e2e_check() {
    local what=$1
    shift
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if "$@"; then
        e2e_pass "$what"
        return 0
    fi
    e2e_fail "$what"
    return 1
}

# e2e_not COMMAND...: succeeds when the command fails (for e2e_check).
e2e_not() { ! "$@"; }

# e2e_expect_eq DESCRIPTION EXPECTED ACTUAL
e2e_expect_eq() {
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if [[ "$2" == "$3" ]]; then
        e2e_pass "$1 (\"$3\")"
        return 0
    fi
    e2e_fail "$1: expected \"$2\", got \"$3\""
    return 1
}

# e2e_expect_between DESCRIPTION VALUE MIN MAX [UNIT]: MIN <= VALUE <= MAX (integers).
e2e_expect_between() {
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if (($2 >= $3 && $2 <= $4)); then
        e2e_pass "$1 ($2${5:-} in $3..$4)"
        return 0
    fi
    e2e_fail "$1: $2${5:-} not in $3..$4"
    return 1
}

# Stops the script at once with a failure (for steps later checks cannot do without).
e2e_die() {
    e2e_fail "$*"
    e2e_dump_app_log
    exit 1
}

e2e_dump_app_log() {
    if [[ -n "$APP_LOG" && -s "$APP_LOG" ]]; then
        echo "---- program output ($APP_LOG) ----" >&2
        tail -n 40 "$APP_LOG" >&2
        echo "----" >&2
    fi
}

e2e_finish() {
    if ((E2E_FAILURES > 0)); then
        e2e_dump_app_log
        e2e_log "$E2E_FAILURES of $E2E_CHECKS checks FAILED"
        exit 1
    fi
    e2e_log "all $E2E_CHECKS checks passed"
    exit 0
}

# ------------------------------------------------------------------ set-up and clean-up

# e2e_init BINARY: checks the tools, makes the private directories, sets the EXIT trap.
e2e_init() {
    E2E_BIN=$1
    [[ -n "$E2E_BIN" && -x "$E2E_BIN" ]] || { echo "usage: $0 /path/to/lumiroka" >&2; exit 2; }
    E2E_BIN=$(cd "$(dirname "$E2E_BIN")" && pwd)/$(basename "$E2E_BIN")
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/lumiroka-e2e.XXXXXX")
    mkdir -p "$E2E_TMP/home" "$E2E_TMP/config" "$E2E_TMP/runtime" "$E2E_TMP/cache" "$E2E_TMP/shots"
    chmod 700 "$E2E_TMP/runtime"
    mkdir -p "$E2E_ARTIFACTS"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'e2e_fail "the script ran out of its time budget (${E2E_BUDGET_S}s)"; exit 124' TERM

    # Ends the script (with the clean-up) well before ctest's own limit would kill it
    # outright and leave the X server's files behind.
    ( sleep "$E2E_BUDGET_S" && kill -TERM $$ ) >/dev/null 2>&1 &
    E2E_WATCHDOG_PID=$!

    # The program must see only what the tests give it.
    export HOME="$E2E_TMP/home"
    export XDG_CONFIG_HOME="$E2E_TMP/config"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export XDG_CACHE_HOME="$E2E_TMP/cache"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR \
        QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING \
        DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER XDG_CURRENT_DESKTOP DESKTOP_SESSION
    # No session bus either: Qt then shows its tray icon the X11 way (XEmbed), in trayer.
    export QT_ACCESSIBILITY=0
    export NO_AT_BRIDGE=1
}

e2e_cleanup() {
    local rc=$?
    local pid i
    if [[ -n "$E2E_WATCHDOG_PID" ]]; then
        pkill -P "$E2E_WATCHDOG_PID" sleep 2>/dev/null # its sleep, by parent id
        kill "$E2E_WATCHDOG_PID" 2>/dev/null
        wait "$E2E_WATCHDOG_PID" 2>/dev/null
    fi
    # Newest first: the programs, then trayer, openbox and the X server.
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        local n=0
        while kill -0 "$pid" 2>/dev/null && ((n < 30)); do
            sleep 0.1
            n=$((n + 1))
        done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    local cmd
    for cmd in "${E2E_AT_EXIT[@]}"; do eval "$cmd"; done
    # A server that had to be killed outright leaves its lock and socket behind.
    if [[ -n "${E2E_XVFB_PID:-}" && -f "/tmp/.X$E2E_DISPLAY_NUM-lock" &&
        "$(tr -d ' \n' <"/tmp/.X$E2E_DISPLAY_NUM-lock" 2>/dev/null)" == "$E2E_XVFB_PID" ]]; then
        rm -f "/tmp/.X$E2E_DISPLAY_NUM-lock" "/tmp/.X11-unix/X$E2E_DISPLAY_NUM"
    fi
    if [[ -n "$E2E_TMP" && -d "$E2E_TMP" ]]; then
        rm -rf "$E2E_TMP"
    fi
    exit "$rc"
}

# e2e_at_exit COMMAND: a shell command to run at exit, after the programs have ended.
e2e_at_exit() { E2E_AT_EXIT+=("$1"); }

# Remembers a background process for the clean-up.
e2e_track() { E2E_PIDS+=("$1"); }

# Removes a process that has ended from the clean-up list.
e2e_untrack() {
    local keep=() pid
    for pid in "${E2E_PIDS[@]}"; do
        [[ "$pid" == "$1" ]] || keep+=("$pid")
    done
    E2E_PIDS=("${keep[@]}")
}

# e2e_wait_until TIMEOUT_S COMMAND...: polls every 50 ms until the command succeeds.
e2e_wait_until() {
    local timeout=$1
    shift
    local deadline=$(($(e2e_now_ms) + $(e2e_ms "$timeout")))
    while true; do
        "$@" && return 0
        (($(e2e_now_ms) >= deadline)) && return 1
        sleep 0.05
    done
}

# e2e_start_xvfb FIRST LAST WxH [XVFB_ARGS...]: Xvfb on the first free display of
# :FIRST..:LAST; exports DISPLAY.
e2e_start_xvfb() {
    local first=$1 last=$2 size=$3 n pid
    shift 3
    for ((n = first; n <= last; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset "$@" >"$E2E_TMP/xvfb.log" 2>&1 &
        pid=$!
        # Another test may have taken the same number a moment ago: then try the next.
        if e2e_wait_until 10 e2e_x_ready "$n" "$pid"; then
            e2e_track "$pid"
            E2E_XVFB_PID=$pid
            E2E_DISPLAY_NUM=$n
            export DISPLAY=":$n"
            return 0
        fi
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    return 1
}

# Starts Xvfb on the first free display from :90 up, then openbox and trayer.
# Exports DISPLAY.
e2e_start_session() {
    local tool
    for tool in Xvfb openbox trayer xdotool xprop xwininfo wmctrl import compare convert xcalc; do
        command -v "$tool" >/dev/null || e2e_die "missing tool: $tool"
    done
    e2e_start_xvfb 90 189 "${E2E_SCREEN_W}x${E2E_SCREEN_H}" || e2e_die "no X server could be started"

    # trayer before the window manager: started after it, trayer now and then left its
    # panel unmapped on a loaded machine. The window manager adopts the mapped panel.
    local attempt
    for attempt in 1 2 3; do
        trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
            --SetPartialStrut true --transparent false >"$E2E_TMP/trayer.log" 2>&1 &
        E2E_TRAYER_PID=$!
        e2e_track "$E2E_TRAYER_PID"
        e2e_wait_until 6 e2e_tray_ready && break
        e2e_log "trayer's panel did not appear (attempt $attempt); starting it again"
        kill "$E2E_TRAYER_PID" 2>/dev/null
        wait "$E2E_TRAYER_PID" 2>/dev/null
        e2e_untrack "$E2E_TRAYER_PID"
        E2E_TRAYER_PID=""
    done
    if [[ -z "$E2E_TRAYER_PID" ]]; then
        cat "$E2E_TMP/trayer.log" >&2
        e2e_die "trayer did not come up"
    fi

    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    e2e_track $!
    e2e_wait_until 15 e2e_wm_ready || e2e_die "openbox did not come up"
    # Programs started from now on see the work area without the panel.
    e2e_wait_until 10 e2e_workarea_reserved || e2e_die "openbox did not reserve the panel's strip"
    e2e_wait_until 5 e2e_tray_ready || e2e_die "trayer's panel is gone after openbox started"
    e2e_log "session on $DISPLAY (Xvfb, openbox, trayer)"
}

# The server we started answers on :N (and no other one that took :N just before us:
# the lock file holds the pid of the server that owns the number).
e2e_x_ready() {
    kill -0 "$2" 2>/dev/null || return 1
    [[ -f "/tmp/.X$1-lock" && "$(tr -d ' \n' <"/tmp/.X$1-lock" 2>/dev/null)" == "$2" ]] || return 1
    DISPLAY=":$1" xprop -root _NET_NOTHING >/dev/null 2>&1
}

e2e_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The work area leaves out trayer's strip at the top.
e2e_workarea_reserved() {
    local y
    y=$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= *//p' | cut -d, -f2 | tr -d ' ')
    [[ -n "$y" && "$y" -gt 0 ]]
}

# The notification area is up when trayer's panel is mapped.
e2e_tray_ready() {
    kill -0 "$E2E_TRAYER_PID" 2>/dev/null || return 1
    local panel
    panel=$(e2e_tray_panel) || return 1
    e2e_is_viewable "$panel"
}

# Writes the settings file the program reads at start.
# e2e_write_settings CHARANO CHECK1 CHECK2
e2e_write_settings() {
    mkdir -p "$XDG_CONFIG_HOME/Lumiroka"
    printf '[setting]\ncharano=%s\ncheck1value=%s\ncheck2value=%s\n' "$1" "$2" "$3" \
        >"$XDG_CONFIG_HOME/Lumiroka/Lumiroka.conf"
}

# ------------------------------------------------------------------ the program

# e2e_launch_app [ARGS...]: starts the program in the background; sets APP_PID, APP_LOG.
e2e_launch_app() {
    APP_LOG="$E2E_TMP/app.$(date +%s%N).log"
    "$E2E_BIN" "$@" >"$APP_LOG" 2>&1 &
    APP_PID=$!
    e2e_track "$APP_PID"
    e2e_log "started lumiroka (pid $APP_PID)"
}

e2e_app_running() { [[ -n "$APP_PID" ]] && ! e2e_app_gone; }

# Stops the script when the program has ended on its own (a crash, usually): every
# later step would only time out.
e2e_require_app() {
    e2e_app_running && return 0
    local rc
    wait "$APP_PID" 2>/dev/null
    rc=$?
    e2e_untrack "$APP_PID"
    if ((rc > 128)); then
        e2e_die "the program (pid $APP_PID) is gone: killed by signal $((rc - 128)) ($(kill -l $((rc - 128)) 2>/dev/null))"
    fi
    e2e_die "the program (pid $APP_PID) is gone: exit code $rc"
}

# e2e_wait_app_exit TIMEOUT_S: waits for the program to end; sets APP_EXIT_CODE.
# Returns 1 if it is still running at the timeout.
e2e_wait_app_exit() {
    APP_EXIT_CODE=""
    if ! e2e_wait_until "$1" e2e_app_gone; then
        return 1
    fi
    wait "$APP_PID" 2>/dev/null
    APP_EXIT_CODE=$?
    e2e_untrack "$APP_PID"
    return 0
}

# True once the process has ended (a zombie counts as ended).
e2e_app_gone() {
    local state
    state=$(ps -o stat= -p "$APP_PID" 2>/dev/null) || return 0
    [[ -z "$state" || "$state" == Z* ]]
}

# Ends the program (for clean-up between phases of a script).
e2e_kill_app() {
    [[ -n "$APP_PID" ]] || return 0
    kill "$APP_PID" 2>/dev/null
    e2e_wait_until 5 e2e_app_gone || kill -9 "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
    e2e_untrack "$APP_PID"
    APP_PID=""
}

# Prints the main window of the program (client window id, decimal): the one titled
# "Lumiroka..." with a 222x138 client area, not Qt's 1x1 group leader. Only a visible
# one, unless the argument is "any" (then also minimized or hidden).
e2e_find_main_window() {
    local id size visible=(--onlyvisible)
    [[ "${1:-}" == any ]] && visible=()
    for id in $(xdotool search --all "${visible[@]}" --pid "$APP_PID" --name '^Lumiroka' 2>/dev/null); do
        size=$(e2e_window_size "$id") || continue
        if [[ "$size" == "${E2E_MAIN_W}x${E2E_MAIN_H}" ]]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

e2e_find_main_window_any() { e2e_find_main_window any; }

# e2e_main_window [TIMEOUT_S]: waits for the main window and prints its id.
e2e_main_window() {
    local deadline id
    deadline=$(($(e2e_now_ms) + $(e2e_ms "${1:-20}")))
    while (($(e2e_now_ms) < deadline)); do
        id=$(e2e_find_main_window) && { echo "$id"; return 0; }
        e2e_app_running || return 1
        sleep 0.1
    done
    return 1
}

# "WxH" of a window's client area.
e2e_window_size() {
    xwininfo -id "$1" 2>/dev/null | awk '/^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { if (w == "") exit 1; print w "x" h }'
}

# "X Y" of a window's client area on the screen.
e2e_window_pos() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { if (x == "") exit 1; print x, y }'
}

# "DX DY": how far the centre of a window as the user sees it, frame included, lies from
# the centre of the work area (the screen less the panels).
e2e_frame_centre_offset() {
    local wx wy w h l r t b ax ay aw ah
    read -r wx wy <<<"$(e2e_window_pos "$1")"
    IFS=x read -r w h <<<"$(e2e_window_size "$1")"
    read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ',')"
    read -r ax ay aw ah <<<"$(xprop -root _NET_WORKAREA | sed -n 's/.*= *//p' | tr -d ',' | cut -d' ' -f1-4)"
    echo "$((wx - ${l:-0} + (w + ${l:-0} + ${r:-0}) / 2 - (ax + aw / 2))) $((wy - ${t:-0} + (h + ${t:-0} + ${b:-0}) / 2 - (ay + ah / 2)))"
}

# "IsViewable", "IsUnMapped" or "IsUnviewable".
e2e_map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ { print $3 }'; }

# ICCCM state: "Normal", "Iconic", "Withdrawn" (or nothing).
e2e_wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state:/ { print $3 }'; }

# The _NET_WM_STATE atoms, comma-separated.
e2e_net_wm_state() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | sed -n 's/.*= *//p'; }

e2e_caption() { xdotool getwindowname "$1" 2>/dev/null; }

e2e_caption_is() { [[ "$(e2e_caption "$1")" == "$2" ]]; }

# e2e_caption_matches WIN REGEX (extended regular expression, as for [[ =~ ]]).
e2e_caption_matches() { [[ "$(e2e_caption "$1")" =~ $2 ]]; }

e2e_is_viewable() { [[ "$(e2e_map_state "$1")" == IsViewable ]]; }

# e2e_wm_state_is WIN Normal|Iconic|Withdrawn
e2e_wm_state_is() { [[ "$(e2e_wm_state "$1")" == "$2" ]]; }

# e2e_has_net_state WIN ATOM: the atom is in the window's _NET_WM_STATE.
e2e_has_net_state() { [[ ",$(e2e_net_wm_state "$1" | tr -d ' ')," == *",$2,"* ]]; }

# e2e_wait_caption WIN TEXT TIMEOUT_S: waits until the caption is TEXT. Sets
# E2E_WAITED_MS to the time it took (or the time given up after), E2E_FOUND_AT_MS to the
# moment (e2e_now_ms) it was first seen, E2E_LAST_CAPTION to the last caption read and
# E2E_SEEN to the distinct captions seen on the way, in order, separated by " | ".
e2e_wait_caption() {
    local win=$1 want=$2 start deadline
    start=$(e2e_now_ms)
    deadline=$((start + $(e2e_ms "$3")))
    E2E_SEEN=""
    E2E_LAST_CAPTION="<none>"
    while true; do
        local caption
        caption=$(e2e_caption "$win")
        if [[ "$caption" != "$E2E_LAST_CAPTION" ]]; then
            E2E_SEEN+="${E2E_SEEN:+ | }$caption"
            E2E_LAST_CAPTION=$caption
        fi
        if [[ "$caption" == "$want" ]]; then
            E2E_FOUND_AT_MS=$(e2e_now_ms)
            E2E_WAITED_MS=$((E2E_FOUND_AT_MS - start))
            return 0
        fi
        if (($(e2e_now_ms) >= deadline)); then
            E2E_WAITED_MS=$(($(e2e_now_ms) - start))
            return 1
        fi
        sleep 0.03
    done
}

# e2e_expect_caption DESCRIPTION WIN TEXT TIMEOUT_S [ALLOWED_BEFORE]: a check that the
# caption becomes TEXT within the timeout, and that on the way it showed nothing but
# ALLOWED_BEFORE (a caption; "*" for anything; default: none at all besides TEXT).
e2e_expect_caption() {
    local what=$1 win=$2 want=$3 timeout=$4 before=${5-}
    E2E_CHECKS=$((E2E_CHECKS + 1))
    if ! e2e_wait_caption "$win" "$want" "$timeout"; then
        e2e_fail "$what: caption not \"$want\" within ${timeout}s; seen: $E2E_SEEN"
        e2e_require_app
        return 1
    fi
    local expected_seen=$want
    [[ -n "$before" && "$E2E_SEEN" != "$want" ]] && expected_seen="$before | $want"
    if [[ "$before" != "*" && "$E2E_SEEN" != "$expected_seen" ]]; then
        e2e_fail "$what: unexpected captions on the way: $E2E_SEEN"
        return 1
    fi
    e2e_pass "$what (\"$want\" after ${E2E_WAITED_MS} ms)"
}

# e2e_caption_steady WIN SECONDS: true if the caption does not change for that long.
# Sets E2E_SEEN like e2e_wait_caption.
e2e_caption_steady() {
    local win=$1 first
    first=$(e2e_caption "$win")
    e2e_wait_caption "$win" "<never: $first>" "$2"
    [[ "$E2E_SEEN" == "$first" ]]
}

# e2e_record_captions WIN SECONDS: prints each distinct caption seen, in order, with the
# milliseconds since the call: "MS<TAB>CAPTION".
e2e_record_captions() {
    local win=$1 start deadline last="" now caption
    start=$(e2e_now_ms)
    deadline=$((start + $(e2e_ms "$2")))
    while true; do
        caption=$(e2e_caption "$win")
        now=$(e2e_now_ms)
        if [[ "$caption" != "$last" ]]; then
            printf '%d\t%s\n' $((now - start)) "$caption"
            last=$caption
        fi
        ((now >= deadline)) && return 0
        sleep 0.03
    done
}

# ------------------------------------------------------------------ acting as the user

# e2e_click WIN X Y: a left click at client coordinates of the window.
# One xdotool call, so the move reaches the server before the click. (No --sync: it
# waits for motion and hangs when the pointer is already at the spot.)
e2e_click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# e2e_click_at WIN "X Y": the same with one "X Y" argument (the E2E_PT_* points).
e2e_click_at() {
    e2e_require_app
    local x y
    read -r x y <<<"$2"
    e2e_click "$1" "$x" "$y"
}

# e2e_key KEY...: key presses (xdotool names, e.g. Right, alt+F4) to the focused window.
e2e_key() { xdotool key --clearmodifiers "$@"; }

# Asks the window manager to activate (raise and focus) a window and waits up to
# TIMEOUT_S (default 5) for it to be the active window.
e2e_activate() {
    xdotool windowactivate "$1" 2>/dev/null
    e2e_wait_until "${2:-5}" e2e_is_active "$1"
}

e2e_is_active() { [[ "$(e2e_active_window)" == "$1" ]]; }

# ------------------------------------------------------------------ pictures

# e2e_screenshot WIN PATH: the window's client area as PNG. WIN "root" for the screen.
e2e_screenshot() {
    local win=$1 path=$2
    mkdir -p "$(dirname "$path")"
    if [[ "$win" == root ]]; then
        import -silent -window root "$path"
    else
        import -silent -window "$win" "$path"
    fi
}

# e2e_crop IN AREA OUT: AREA "WxH+X+Y".
e2e_crop() { convert "$1" -crop "$2" +repage "$3" 2>/dev/null; }

# e2e_pixels_differ A B: prints the number of differing pixels of two same-sized images.
e2e_pixels_differ() {
    local out
    out=$(compare -metric AE "$1" "$2" null: 2>&1)
    # compare prints the count on stderr; a size mismatch prints an error instead.
    [[ "$out" =~ ^[0-9.e+]+$ ]] || { echo "error: $out" >&2; echo 999999; return; }
    printf '%.0f\n' "$out"
}

# e2e_same_image A B: true when the two images are pixel for pixel the same.
e2e_same_image() { [[ "$(e2e_pixels_differ "$1" "$2")" == 0 ]]; }

# e2e_shot_area WIN AREA NAME: screenshot of one area of the window's client, saved as
# $E2E_TMP/shots/NAME.png; prints the path.
e2e_shot_area() {
    local full="$E2E_TMP/shots/$3.full.png" out="$E2E_TMP/shots/$3.png"
    e2e_screenshot "$1" "$full" && e2e_crop "$full" "$2" "$out" && echo "$out"
}

# e2e_shot_area_stable WIN AREA NAME [TIMEOUT_S]: like e2e_shot_area, but repeats until
# two shots in a row are the same (the window has finished painting).
e2e_shot_area_stable() {
    local deadline prev cur i=0
    deadline=$(($(e2e_now_ms) + $(e2e_ms "${4:-5}")))
    prev=$(e2e_shot_area "$1" "$2" "$3.try$i") || return 1
    while true; do
        sleep 0.15
        i=$((i + 1))
        cur=$(e2e_shot_area "$1" "$2" "$3.try$i") || return 1
        if e2e_same_image "$prev" "$cur" || (($(e2e_now_ms) >= deadline)); then
            cp "$cur" "$E2E_TMP/shots/$3.png"
            echo "$E2E_TMP/shots/$3.png"
            return 0
        fi
        prev=$cur
    done
}

# Keeps a picture for a person to look at.
e2e_keep() {
    local dest="$E2E_ARTIFACTS/$E2E_NAME-$2.png"
    cp "$1" "$dest" && e2e_log "saved $dest"
}

# ------------------------------------------------------------------ window manager

# The client windows, bottom to top.
e2e_stacking() { xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed -n 's/.*# *//p' | tr -d ' ' | tr ',' '\n'; }

# e2e_stack_index WIN: position of the window in the stacking list (0 = bottom), or -1.
e2e_stack_index() {
    local hex i=0 w
    hex=$(printf '0x%x' "$1")
    while read -r w; do
        [[ $((w)) == $((hex)) ]] && { echo "$i"; return 0; }
        i=$((i + 1))
    done < <(e2e_stacking)
    echo -1
}

# e2e_above A B: window A is higher in the stacking order than window B.
e2e_above() {
    local a b
    a=$(e2e_stack_index "$1")
    b=$(e2e_stack_index "$2")
    ((a >= 0 && b >= 0 && a > b))
}

e2e_active_window() {
    local hex
    hex=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# *\(0x[0-9a-fA-F]*\).*/\1/p')
    [[ -n "$hex" ]] && echo $((hex))
}

# The managed client windows (decimal ids), in the order they were mapped.
e2e_clients() {
    local w
    for w in $(xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# *//p' | tr ',' ' '); do
        echo $((w))
    done
}

# e2e_open_other_window COMMAND...: starts another X program and waits until the window
# manager manages a new client window. Sets OTHER_PID and OTHER_WIN.
e2e_open_other_window() {
    local before
    before=$(e2e_clients | sort)
    "$@" >"$E2E_TMP/other.$(date +%s%N).log" 2>&1 &
    OTHER_PID=$!
    e2e_track "$OTHER_PID"
    OTHER_WIN=""
    local deadline=$(($(e2e_now_ms) + 15000)) id
    while (($(e2e_now_ms) < deadline)); do
        for id in $(comm -13 <(echo "$before") <(e2e_clients | sort)); do
            [[ "$(e2e_map_state "$id")" == IsViewable ]] && { OTHER_WIN=$id; return 0; }
        done
        sleep 0.05
    done
    return 1
}

# ------------------------------------------------------------------ a person typing elsewhere

# e2e_open_typing_target: another program's editable window (GTK, tests/e2e/typing_target.py),
# activated and clicked into, so the window manager saw a person at work there. Sets
# OTHER_PID, OTHER_WIN and OTHER_TEXT (the file that always holds its whole text).
e2e_open_typing_target() {
    OTHER_TEXT=$E2E_TMP/other-text.$(date +%s%N).txt
    e2e_open_other_window /usr/bin/python3 "$E2E_LIB_DIR/typing_target.py" "$OTHER_TEXT" || return 1
    e2e_wait_until 5 test -e "$OTHER_TEXT" || return 1
    e2e_activate "$OTHER_WIN" 3 || e2e_log "note: the other window did not become active by windowactivate"
    xdotool mousemove --window "$OTHER_WIN" 60 60 click 1
}

# e2e_start_typing: types words and spaces into whichever window has the keyboard, a key
# every 120 ms as a quick typist does, until e2e_stop_typing; each word goes to
# $E2E_TYPED once it has been typed, so the file holds exactly what was typed.
e2e_start_typing() {
    E2E_TYPED=$E2E_TMP/typed.$(date +%s%N).txt
    : >"$E2E_TYPED"
    rm -f "$E2E_TMP/stop-typing"
    (
        words=(the quick brown fox jumps over the lazy dog and keeps on typing while time runs out)
        i=0
        while [[ ! -e "$E2E_TMP/stop-typing" ]]; do
            word="${words[i % ${#words[@]}]} "
            xdotool type --delay 120 "$word"
            printf '%s' "$word" >>"$E2E_TYPED"
            i=$((i + 1))
        done
    ) >/dev/null 2>&1 &
    E2E_TYPIST_PID=$!
    e2e_track "$E2E_TYPIST_PID"
}

e2e_stop_typing() {
    [[ -n "${E2E_TYPIST_PID:-}" ]] || return 0
    touch "$E2E_TMP/stop-typing"
    wait "$E2E_TYPIST_PID" 2>/dev/null
    e2e_untrack "$E2E_TYPIST_PID"
    E2E_TYPIST_PID=""
}

# e2e_characters_lost: how many typed characters did not arrive in the other program
# ("N of M"); 0 when its text is exactly what was typed.
e2e_characters_lost() {
    local typed got
    typed=$(cat "$E2E_TYPED")
    got=$(cat "$OTHER_TEXT" 2>/dev/null)
    if [[ "$got" == "$typed" ]]; then
        echo "0 of ${#typed}"
    else
        echo "$((${#typed} - ${#got})) of ${#typed}"
    fi
}

# e2e_text_arrived: the other program holds exactly the typed text (waits for the last keys).
e2e_text_arrived() { e2e_wait_until 2 cmp -s "$E2E_TYPED" "$OTHER_TEXT"; }

# ------------------------------------------------------------------ notification area

# trayer's panel window, WM_CLASS "panel", "trayer" (the parent of the embedded icons;
# trayer has a second, hidden window of class "Trayer").
e2e_tray_panel() {
    local id
    for id in $(xdotool search --classname '^panel$' 2>/dev/null); do
        [[ "$(xprop -id "$id" WM_CLASS 2>/dev/null)" == *'"panel", "trayer"'* ]] && { echo "$id"; return 0; }
    done
    return 1
}

# Prints the program's icon in the notification area (decimal id of the embedded
# window), or fails when it has none.
e2e_find_tray_icon() {
    local panel
    panel=$(e2e_tray_panel) || return 1
    [[ -n "$panel" ]] || return 1
    local hex
    hex=$(xwininfo -tree -id "$panel" 2>/dev/null | awk '/\("lumiroka" "Lumiroka"\)/ { print $1; exit }')
    [[ -n "$hex" ]] && echo $((hex))
}

# e2e_click_tray_icon BUTTON: presses and releases a mouse button (1 left, 3 right) on
# the program's icon in the notification area.
e2e_click_tray_icon() {
    local icon
    icon=$(e2e_find_tray_icon) || return 1
    xdotool mousemove --window "$icon" 11 11 click "$1"
}

# ------------------------------------------------------------------ other windows of the program

# e2e_find_app_window NAME_REGEX [TYPE]: prints a viewable window of the program whose
# title matches and, if TYPE is given, whose _NET_WM_WINDOW_TYPE has _NET_WM_WINDOW_TYPE_TYPE.
e2e_find_app_window() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$APP_PID" --name "$1" 2>/dev/null); do
        [[ -z "${2:-}" ]] || xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "_TYPE_$2\\b" ||
            continue
        echo "$id"
        return 0
    done
    return 1
}

# The program's open popup menu: a viewable override-redirect top-level window at least
# two rows high (the icon in the tray is override-redirect too, but trayer's child).
e2e_find_menu() {
    local id info
    for id in $(xdotool search --all --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        info=$(xwininfo -stats -children -id "$id" 2>/dev/null)
        grep -q 'Override Redirect State: yes' <<<"$info" && grep -q 'Parent window id: .*(the root window)' <<<"$info" &&
            (($(awk '/^ *Height:/ { print $2 }' <<<"$info") >= 30)) && { echo "$id"; return 0; }
    done
    return 1
}

# e2e_wait_window TIMEOUT_S FINDER [ARGS...]: waits until FINDER prints a window id and
# prints it.
e2e_wait_window() {
    local deadline id
    deadline=$(($(e2e_now_ms) + $(e2e_ms "$1")))
    shift
    while (($(e2e_now_ms) < deadline)); do
        id=$("$@") && [[ -n "$id" ]] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

# e2e_in_client_list WIN: the window manager manages the window (_NET_CLIENT_LIST).
e2e_in_client_list() { e2e_clients | grep -qx "$1"; }

# e2e_count_color IMAGE orange|blue|green|pink: number of such pixels.
e2e_count_color() {
    local cond
    case $2 in
    orange) cond='r > 180 && r > g + 40 && g > b + 30' ;;
    blue) cond='b > 120 && b > r + 40 && b > g + 25' ;;
    green) cond='g > 120 && g > r + 25 && g > b + 5' ;;
    pink) cond='r > 200 && b > 120 && r > g + 80 && b > g + 20' ;;
    *) return 2 ;;
    esac
    convert "$1" -alpha off -depth 8 txt:- 2>/dev/null |
        awk -F'[(),]' "NR > 1 { r = \$3; g = \$4; b = \$5; if ($cond) n++ } END { print n + 0 }"
}
