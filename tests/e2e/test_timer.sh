#!/usr/bin/env bash
# shellcheck disable=SC2119 # e2e_launch_app takes optional program arguments
# The main window as a person uses it: the window itself, counting up, stopping and
# resuming, RESET, setting a countdown with the scroll bars (mouse and keyboard), the
# alarm and the count up after it, and the three ways to end the program.
#
# usage: test_timer.sh /path/to/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
e2e_start_session

# Bounds for the time from START to the first second, and from one second's caption to
# the next: one second, with generous room for a loaded machine (the click itself, and
# reading the caption every 30 ms or so, each take a moment).
TICK_MAX_MS=${E2E_TICK_MAX_MS:-1600}
TICK_MIN_MS=600

e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear"

# ------------------------------------------------------------------ the window
e2e_expect_eq "caption at start" "Lumiroka" "$(e2e_caption "$win")"

# Centred on the work area (the screen less the notification panel) as the user sees it,
# with the frame the window manager adds (odd sizes round by a pixel).
read -r dx dy <<<"$(e2e_frame_centre_offset "$win")"
e2e_expect_between "horizontal distance of the framed window's centre from the work area centre" "${dx#-}" 0 1 px
e2e_expect_between "vertical distance of the framed window's centre from the work area centre" "${dy#-}" 0 1 px

hints=$(xprop -id "$win" WM_NORMAL_HINTS)
e2e_check "fixed size: minimum size hint is 222x138" grep -q "minimum size: 222 by 138" <<<"$hints"
e2e_check "fixed size: maximum size hint is 222x138" grep -q "maximum size: 222 by 138" <<<"$hints"
actions=$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS)
e2e_check "the window manager offers minimize" grep -q "_NET_WM_ACTION_MINIMIZE" <<<"$actions"
e2e_check "the window manager offers no maximize" e2e_not grep -q "_NET_WM_ACTION_MAXIMIZE" <<<"$actions"
e2e_check "the window manager offers no resize" e2e_not grep -q "_NET_WM_ACTION_RESIZE" <<<"$actions"
xdotool windowsize "$win" 400 300
wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
sleep 0.5
e2e_expect_eq "size after attempts to resize and maximize" "${E2E_MAIN_W}x${E2E_MAIN_H}" "$(e2e_window_size "$win")"
e2e_check "not maximized after the attempt" e2e_not grep -q MAXIMIZED <<<"$(e2e_net_wm_state "$win")"

# What the start-up leaves for later: the sound back end loads with the first countdown,
# and no image reader plugin is needed (the character's GIFs are read by src/gif).
maps=$(cat "/proc/$APP_PID/maps")
e2e_check "the sound library is not loaded at start" e2e_not grep -qE "canberra|libpulse" <<<"$maps"
plugins=$(grep -o 'imageformats/[^ ]*' <<<"$maps" | sed 's|.*/||' | sort -u | tr '\n' ' ' | sed 's/ $//' || true)
e2e_expect_eq "image plugins loaded at start" "none" "${plugins:-none}"

# The first look, kept for people to see.
full0="$E2E_TMP/shots/start.png"
digits0=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits0) || e2e_die "no screenshot"
e2e_screenshot "$win" "$full0" && e2e_keep "$full0" start
e2e_screenshot root "$E2E_TMP/shots/screen.png" && e2e_keep "$E2E_TMP/shots/screen.png" screen

# ------------------------------------------------------------------ counting up
t0=$(e2e_now_ms)
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "START at 00:00:00 counts up" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
e2e_expect_between "time from START to the first second" $((E2E_FOUND_AT_MS - t0)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms
seen1=$E2E_FOUND_AT_MS

# RESET while counting does nothing: the count goes on from where it was.
e2e_click_at "$win" "$E2E_PT_RESET"
e2e_expect_caption "RESET while counting is ignored; the next second comes" "$win" "Lumiroka - 00:00:02" 3 "Lumiroka - 00:00:01"
e2e_expect_between "time from the first second to the second" $((E2E_FOUND_AT_MS - seen1)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms

e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "after START・STOP the caption stays at 00:00:02" e2e_caption_steady "$win" 2.2 ||
    e2e_log "captions seen: $E2E_SEEN"
e2e_expect_eq "caption while stopped" "Lumiroka - 00:00:02" "$(e2e_caption "$win")"
digits2=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits2)
e2e_check "the digits changed from 00:00:00 while counting" e2e_not e2e_same_image "$digits0" "$digits2"

# START again resumes upwards from the stopped value.
t0=$(e2e_now_ms)
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "START after a stop resumes the count" "$win" "Lumiroka - 00:00:03" 3 "Lumiroka - 00:00:02"
e2e_expect_between "time from the resuming START to the next second" $((E2E_FOUND_AT_MS - t0)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "stopped again at 00:00:03" e2e_caption_steady "$win" 1.2
e2e_expect_eq "caption while stopped" "Lumiroka - 00:00:03" "$(e2e_caption "$win")"
digits3count=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits3count)

# RESET when stopped: plain caption, digits back to zero.
e2e_click_at "$win" "$E2E_PT_RESET"
e2e_expect_caption "RESET when stopped" "$win" "Lumiroka" 2 "Lumiroka - 00:00:03"
digitsreset=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digitsreset)
e2e_check "after RESET the digits look as at start (00:00:00)" e2e_same_image "$digits0" "$digitsreset"

# ------------------------------------------------------------------ setting a countdown
for _ in 1 2 3; do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
digits3set=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits3set)
e2e_keep "$digits3set" digits-set-to-3s
e2e_check "three clicks on the seconds bar's right arrow show the same digits as 00:00:03 counted" \
    e2e_same_image "$digits3count" "$digits3set"
e2e_expect_eq "setting the bars leaves the caption alone" "Lumiroka" "$(e2e_caption "$win")"

# The bar now has the keyboard focus: Right raises, Left lowers.
e2e_key Right
digitsright=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digitsright)
e2e_check "Right on the seconds bar changes the digits" e2e_not e2e_same_image "$digits3set" "$digitsright"
e2e_check "Right on the seconds bar raises (the digits are not 00:00:02)" \
    e2e_not e2e_same_image "$digits2" "$digitsright"
e2e_key Left
digitsleft=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digitsleft)
e2e_check "Left on the seconds bar lowers again to 00:00:03" e2e_same_image "$digits3set" "$digitsleft"

# ------------------------------------------------------------------ countdown and alarm
t0=$(e2e_now_ms)
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "countdown from 00:00:03: first second" "$win" "Lumiroka - 00:00:02" 3 "Lumiroka"
e2e_expect_between "time from START to the first second of the countdown" $((E2E_FOUND_AT_MS - t0)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms
seen2=$E2E_FOUND_AT_MS
e2e_expect_caption "countdown: next second" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka - 00:00:02"
e2e_expect_between "time from 00:00:02 to 00:00:01" $((E2E_FOUND_AT_MS - seen2)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms
seen1=$E2E_FOUND_AT_MS
e2e_expect_caption "countdown reaches zero (alarm)" "$win" "Lumiroka - 00:00:00" 3 "Lumiroka - 00:00:01"
e2e_expect_between "time from 00:00:01 to the alarm" $((E2E_FOUND_AT_MS - seen1)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms
e2e_expect_between "time from 00:00:02 to the alarm (two seconds)" $((E2E_FOUND_AT_MS - seen2)) 1600 2600 ms
seen0=$E2E_FOUND_AT_MS
alarmshot="$E2E_TMP/shots/alarm.png"
e2e_screenshot "$win" "$alarmshot" && e2e_keep "$alarmshot" alarm
e2e_expect_caption "after the alarm the time counts up" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka - 00:00:00"
e2e_expect_between "time from the alarm to the first second counted up" $((E2E_FOUND_AT_MS - seen0)) "$TICK_MIN_MS" "$TICK_MAX_MS" ms

e2e_click_at "$win" "$E2E_PT_STARTSTOP"
stopped=$(e2e_caption "$win")
e2e_check "START・STOP stops the count after the alarm" e2e_caption_steady "$win" 1.5 ||
    e2e_log "captions seen: $E2E_SEEN"
e2e_check "stopped at 00:00:01 or 00:00:02" grep -qE '^Lumiroka - 00:00:0[12]$' <<<"$stopped"

# ------------------------------------------------------------------ ending
t0=$(e2e_now_ms)
e2e_click_at "$win" "$E2E_PT_END"
if e2e_wait_app_exit 2; then
    e2e_pass "END ends the program ($(($(e2e_now_ms) - t0)) ms)"
    e2e_expect_eq "exit code after END" 0 "$APP_EXIT_CODE"
else
    e2e_fail "END: the program still runs 2 s later"
    e2e_kill_app
fi

# The close box, through the window manager (WM_DELETE_WINDOW), while counting.
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear after a restart"
e2e_expect_eq "a new start shows the plain caption" "Lumiroka" "$(e2e_caption "$win")"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "counting before the close" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
t0=$(e2e_now_ms)
wmctrl -i -c "$(printf '0x%x' "$win")"
if e2e_wait_app_exit 2; then
    e2e_pass "the close box ends the program ($(($(e2e_now_ms) - t0)) ms)"
    e2e_expect_eq "exit code after the close box" 0 "$APP_EXIT_CODE"
else
    e2e_fail "close box: the program still runs 2 s later"
    e2e_kill_app
fi

# Alt+F4, the window manager's close key.
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear after a restart"
e2e_activate "$win" || e2e_log "note: the window did not become active"
t0=$(e2e_now_ms)
e2e_key alt+F4
if e2e_wait_app_exit 2; then
    e2e_pass "Alt+F4 ends the program ($(($(e2e_now_ms) - t0)) ms)"
    e2e_expect_eq "exit code after Alt+F4" 0 "$APP_EXIT_CODE"
else
    e2e_fail "Alt+F4: the program still runs 2 s later"
    e2e_kill_app
fi

e2e_finish
