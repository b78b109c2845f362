#!/usr/bin/env bash
# shellcheck disable=SC2317,SC2016 # helpers run through e2e_check; eval of quoted tests
# The Windows program's options dialog and settings under Wine: OK writes the three string
# values to the registry; closing without OK changes nothing; the version box; a damaged
# stored value and a missing picture folder are reported and the timer works on.
#
# usage: test_win_options.sh /path/to/lumiroka.exe
set -u
# shellcheck source=winlib.sh
source "$(dirname "$0")/winlib.sh"
e2e_init "${1:-}"
e2e_start_session
win_clear_settings

# Points in the dialog's client area (209 x 105 at 96 dpi).
readonly PT_ZU="14 40"      # option1(1)
readonly PT_CHECK1="95 24"  # check1
readonly PT_OK="172 88"     # Command1
readonly PT_VERSION="44 88" # Command2

open_options() {
    e2e_click_at "$win" "$E2E_PT_OPTION"
    DIALOG=$(e2e_wait_window 5 win_find_window '^OPTION$') || { e2e_fail "OPTION: no dialog"; return 1; }
    e2e_pass "OPTION opens the dialog"
    sleep 0.5 # drawn
}

# The program's windows that are neither the main window nor the dialog (message boxes).
other_box() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$APP_PID" --name '.' 2>/dev/null); do
        [[ "$id" == "$win" || "$id" == "${DIALOG:-}" ]] && continue
        [[ "$(e2e_window_size "$id")" == 1x1 ]] && continue
        echo "$id"
        return 0
    done
    return 1
}

# wait_box WHAT: waits for a message box of the program; sets box.
wait_box() {
    box=$(e2e_wait_window 15 other_box) && { e2e_pass "$1"; return 0; }
    e2e_fail "$1: none appeared"
    e2e_screenshot root "$E2E_ARTIFACTS/$E2E_NAME-no-box.png"
}

# The message box in front goes with its OK button, centred at its bottom (it covers the
# main window's middle). Not with a key sent by xdotool: Wine keeps such a Return pressed
# and the next box of the prefix closes the moment it opens.
dismiss_box() {
    [[ -n "${box:-}" ]] || return 0
    local w h
    read -r w h <<<"$(e2e_window_size "$box" | tr x ' ')"
    e2e_click "$box" $((w / 2)) $((h - 22))
    e2e_check "the message box can be dismissed" e2e_wait_until 3 e2e_not other_box
}

# ================================================================== dialog, OK, close
e2e_launch_app
win=$(e2e_main_window 30) || e2e_die "the main window did not appear"
e2e_expect_eq "an empty store stays empty" "" "$(win_read_settings)"
open_options && {
    e2e_expect_eq "the dialog's client size" "209x105" "$(e2e_window_size "$DIALOG")"
    e2e_screenshot "$DIALOG" "$E2E_TMP/shots/options.png" && e2e_keep "$E2E_TMP/shots/options.png" options
    e2e_click_at "$DIALOG" "$PT_VERSION"
    box=$(e2e_wait_window 5 other_box) && {
        e2e_pass "the version button opens a box"
        sleep 0.4
        e2e_screenshot "$box" "$E2E_TMP/shots/version.png" && e2e_keep "$E2E_TMP/shots/version.png" version
        dismiss_box
    } || e2e_fail "the version button: no box"
    e2e_click_at "$DIALOG" "$PT_ZU"
    e2e_click_at "$DIALOG" "$PT_CHECK1"
    before=$(e2e_shot_area "$win" "$E2E_AREA_CHARACTER" piro)
    e2e_click_at "$DIALOG" "$PT_OK"
    e2e_check "OK closes the dialog" e2e_wait_until 3 e2e_not e2e_is_viewable "$DIALOG"
    e2e_expect_eq "OK writes all three values" $'charano=1\ncheck1value=1\ncheck2value=1' "$(win_read_settings)"
    after=$(e2e_shot_area_stable "$win" "$E2E_AREA_CHARACTER" zu) && e2e_keep "$after" zu
    e2e_check "the new character shows at once" e2e_not e2e_same_image "$before" "$after"
}
open_options && {
    e2e_click_at "$DIALOG" "14 24" # option1(0)
    wmctrl -i -c "$(printf '0x%x' "$DIALOG")"
    e2e_check "the close box closes the dialog" e2e_wait_until 3 e2e_not e2e_is_viewable "$DIALOG"
    e2e_expect_eq "closing without OK writes nothing" $'charano=1\ncheck1value=1\ncheck2value=1' "$(win_read_settings)"
}
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the program" e2e_wait_app_exit 5

# ================================================================== a damaged value
e2e_write_settings abc 0 1
e2e_launch_app
win=$(e2e_main_window 30) || e2e_die "the main window did not appear (damaged value)"
DIALOG=""
wait_box "a message box tells about the damaged value"
e2e_check "... naming the key, the text and the registry key" grep -q \
    'charano = "abc".*' "$APP_LOG"
grep -q 'HKEY_CURRENT_USER\\Software\\Lumiroka\\Lumiroka' "$APP_LOG" || e2e_fail "the message does not name the registry key"
[[ -n "${box:-}" ]] && sleep 0.4 && e2e_screenshot "$box" "$E2E_TMP/shots/damaged.png" && e2e_keep "$E2E_TMP/shots/damaged.png" damaged
e2e_expect_eq "the store is left as it was" $'charano=abc\ncheck1value=0\ncheck2value=1' "$(win_read_settings)"
dismiss_box
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "the timer works with the default" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
e2e_kill_app

# ================================================================== no picture folder
mkdir -p "$E2E_TMP/portable"
cp "$E2E_BIN" "$(dirname "$E2E_BIN")/justtime.wav" "$E2E_TMP/portable/"
win_clear_settings
e2e_launch_app "$E2E_TMP/portable/$(basename "$E2E_BIN")"
win=$(e2e_main_window 30) || e2e_die "the main window did not appear (no gif folder)"
wait_box "a message box tells about the missing pictures"
e2e_check "... listing the files" grep -qF 'portable\gif\piro0.gif: not found' "$APP_LOG"
e2e_check "... and where they were looked for" grep -q 'portable' "$APP_LOG"
[[ -n "${box:-}" ]] && sleep 0.4 && e2e_screenshot "$box" "$E2E_TMP/shots/nogif.png" && e2e_keep "$E2E_TMP/shots/nogif.png" nogif
dismiss_box
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "the timer works without pictures" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
e2e_kill_app
e2e_finish
