#!/usr/bin/env bash
# Without any display the program says so plainly and ends; --version and --help work
# without a display.
#
# usage: test_no_display.sh /path/to/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"

# run_nodisplay NAME ARGS...: runs the program with no display in its environment, at most
# 10 s; sets RUN_RC, RUN_MS, RUN_OUT, RUN_ERR.
run_nodisplay() {
    local name=$1
    shift
    RUN_OUT="$E2E_TMP/$name.out"
    RUN_ERR="$E2E_TMP/$name.err"
    local t0
    t0=$(e2e_now_ms)
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$E2E_BIN" "$@" >"$RUN_OUT" 2>"$RUN_ERR" </dev/null
    RUN_RC=$?
    RUN_MS=$(($(e2e_now_ms) - t0))
}

# ------------------------------------------------------------------ no display at all
run_nodisplay plain
e2e_check "without a display the program ends by itself (not killed by the 10 s limit)" e2e_not test "$RUN_RC" -eq 124
e2e_check "without a display the exit code is not 0 (it was $RUN_RC)" e2e_not test "$RUN_RC" -eq 0
e2e_check "without a display it ends normally, not by a signal or abort (code $RUN_RC)" test "$RUN_RC" -lt 128
e2e_expect_between "without a display it ends quickly" "$RUN_MS" 0 3000 ms
e2e_check "the message on stderr mentions the display" grep -qi "display" "$RUN_ERR"
e2e_check "the message is short (at most 5 lines)" test "$(wc -l <"$RUN_ERR")" -le 5
e2e_check "no Qt plugin jargon in the message" e2e_not grep -qiE "qt\.qpa|platform plugin|Reinstalling" "$RUN_ERR"
e2e_check "nothing on stdout" test ! -s "$RUN_OUT"
e2e_log "stderr was: $(tr '\n' ' ' <"$RUN_ERR")"

# ------------------------------------------------------------------ a display that is not there
# DISPLAY names a server nobody runs (e.g. left over from a closed session, or a remote
# login without X forwarding): the same plain ending is expected.
for ((n = 190; n < 290; n++)); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break
done
t0=$(e2e_now_ms)
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$n" timeout 10 "$E2E_BIN" \
    >"$E2E_TMP/gone.out" 2>"$E2E_TMP/gone.err" </dev/null
rc=$?
ms=$(($(e2e_now_ms) - t0))
e2e_check "with DISPLAY=:$n (no server) the program ends by itself" e2e_not test "$rc" -eq 124
e2e_check "with DISPLAY=:$n the exit code is not 0 (it was $rc)" e2e_not test "$rc" -eq 0
e2e_check "with DISPLAY=:$n it ends normally, not by a signal or abort (code $rc)" test "$rc" -lt 128
e2e_expect_between "with DISPLAY=:$n it ends quickly" "$ms" 0 3000 ms
# Qt may log its own lines first; the program's last word must be plain.
e2e_check "with DISPLAY=:$n the last line on stderr mentions the display" \
    grep -qi "display" <<<"$(tail -n 1 "$E2E_TMP/gone.err")"
e2e_check "with DISPLAY=:$n no advice to reinstall (the program is not broken)" \
    e2e_not grep -qi "reinstall" "$E2E_TMP/gone.err"
e2e_log "stderr was: $(tr '\n' ' ' <"$E2E_TMP/gone.err")"

# ------------------------------------------------------------------ Wayland
# A Wayland display that is not there, no X display: the message names the Wayland one.
env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=wayland-gone timeout 10 "$E2E_BIN" \
    >"$E2E_TMP/wl.out" 2>"$E2E_TMP/wl.err" </dev/null
rc=$?
e2e_check "with WAYLAND_DISPLAY=wayland-gone the exit code is 2 (it was $rc)" test "$rc" -eq 2
e2e_check "with WAYLAND_DISPLAY=wayland-gone the message names that Wayland display" \
    grep -q "lumiroka: cannot connect to the Wayland display wayland-gone" "$E2E_TMP/wl.err"
e2e_check "with WAYLAND_DISPLAY=wayland-gone no word of a missing DISPLAY alone" \
    e2e_not grep -qi "cannot open the display" "$E2E_TMP/wl.err"
# Qt's Wayland platform not installed (a copy of the program whose qt.conf points at a
# plugin folder holding the X11 platform alone): the message names the package.
mkdir -p "$E2E_TMP/only-x11/bin" "$E2E_TMP/only-x11/plugins/platforms"
cp "$E2E_BIN" "$E2E_TMP/only-x11/bin/"
xcb_plugin=$(find /usr/lib/*/qt6/plugins/platforms -name libqxcb.so | head -1)
cp "$xcb_plugin" "$E2E_TMP/only-x11/plugins/platforms/"
printf '[Paths]\nPlugins=%s\n' "$E2E_TMP/only-x11/plugins" >"$E2E_TMP/only-x11/bin/qt.conf"
env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=wayland-0 timeout 10 "$E2E_TMP/only-x11/bin/lumiroka" \
    >"$E2E_TMP/noplugin.out" 2>"$E2E_TMP/noplugin.err" </dev/null
e2e_check "without Qt's Wayland platform the message says which package is missing" \
    grep -q "needs Qt's Wayland platform, which is not installed (Debian: qt6-wayland)" "$E2E_TMP/noplugin.err"
e2e_log "stderr was: $(grep '^lumiroka' "$E2E_TMP/noplugin.err" | tr '\n' ' ')"

# ------------------------------------------------------------------ --version and --help
run_nodisplay version --version
e2e_expect_eq "--version exit code" 0 "$RUN_RC"
e2e_expect_eq "--version output" "lumiroka ${LUMIROKA_VERSION:?}" "$(cat "$RUN_OUT")"
e2e_check "--version prints nothing on stderr" test ! -s "$RUN_ERR"
e2e_expect_between "--version is quick" "$RUN_MS" 0 3000 ms

run_nodisplay help --help
e2e_expect_eq "--help exit code" 0 "$RUN_RC"
e2e_check "--help prints a usage line" grep -qE "^Usage: lumiroka" "$RUN_OUT"
e2e_check "--help names --help" grep -q -- "--help" "$RUN_OUT"
e2e_check "--help names --version" grep -q -- "--version" "$RUN_OUT"
e2e_check "--help prints nothing on stderr" test ! -s "$RUN_ERR"
e2e_expect_between "--help is quick" "$RUN_MS" 0 3000 ms

# Neither writes settings: the private config folder stays empty.
e2e_check "no settings file was written" test -z "$(find "$XDG_CONFIG_HOME" -type f)"

e2e_finish
