#!/usr/bin/env bash
# shellcheck disable=SC2119 # e2e_launch_app takes optional program arguments
# The alarm brings the window to the person: over another window that covers it, and
# back from the taskbar when it was minimized (notification-area option off). Neither
# leaves the window "always on top".
#
# usage: test_alarm_raise.sh /path/to/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
e2e_start_session

# set_countdown WIN SECONDS: sets the seconds bar from 0 with its right arrow.
set_countdown() {
    local i
    for ((i = 0; i < $2; i++)); do e2e_click_at "$1" "$E2E_PT_SEC_UP"; done
}

# shellcheck disable=SC2317 # called through e2e_check and e2e_wait_until
# True when the client area of WIN, as it appears on the screen, shows the buttons the
# program painted: nothing covers that part of the window.
buttons_visible_on_screen() {
    local win=$1 tag=$2 x y own screen
    read -r x y <<<"$(e2e_window_pos "$win")"
    own=$(e2e_shot_area "$win" "$E2E_AREA_BUTTONS" "$tag.own") || return 1
    e2e_screenshot root "$E2E_TMP/shots/$tag.screen.png" || return 1
    local bw bh bx by
    IFS='x+' read -r bw bh bx by <<<"$E2E_AREA_BUTTONS"
    screen="$E2E_TMP/shots/$tag.onscreen.png"
    e2e_crop "$E2E_TMP/shots/$tag.screen.png" "${bw}x${bh}+$((x + bx))+$((y + by))" "$screen" || return 1
    e2e_same_image "$own" "$screen"
}

# ================================================================== covered by a window
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear"
e2e_check "at start the window's buttons are visible on the screen" e2e_wait_until 3 buttons_visible_on_screen "$win" start

set_countdown "$win" 3
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
t_start=$(e2e_now_ms)

# Another program's window over ours, active, as if the person went on working there.
read -r x y <<<"$(e2e_window_pos "$win")"
e2e_open_other_window xcalc -geometry 420x320+$((x - 100))+$((y - 90)) ||
    e2e_die "the other window (xcalc) did not appear"
e2e_activate "$OTHER_WIN" || e2e_log "note: the other window did not become active"
xdotool windowraise "$OTHER_WIN"
e2e_check "before the alarm the other window is above ours" \
    e2e_wait_until 3 e2e_above "$OTHER_WIN" "$win"
e2e_check "before the alarm the other window covers our buttons" \
    e2e_not buttons_visible_on_screen "$win" covered
e2e_check "the countdown is still running (no alarm yet)" \
    e2e_not grep -q '00:00:00' <<<"$(e2e_caption "$win")"
cover="$E2E_TMP/shots/covered.png"
e2e_screenshot root "$cover" && e2e_keep "$cover" covered

e2e_expect_caption "the alarm comes" "$win" "Lumiroka - 00:00:00" 5 "*"
e2e_expect_between "time from START to the alarm" $(($(e2e_now_ms) - t_start)) 2500 4500 ms
e2e_check "after the alarm our window is above the other one" e2e_wait_until 2 e2e_above "$win" "$OTHER_WIN"
e2e_check "after the alarm our buttons are visible on the screen" \
    e2e_wait_until 2 buttons_visible_on_screen "$win" raised
e2e_check "after the alarm our window is the active one" e2e_wait_until 2 e2e_is_active "$win"
raised="$E2E_TMP/shots/raised.png"
e2e_screenshot root "$raised" && e2e_keep "$raised" raised
# The lift must not leave the window pinned above all others.
sleep 0.5
e2e_check "the window does not keep _NET_WM_STATE_ABOVE" e2e_not e2e_has_net_state "$win" _NET_WM_STATE_ABOVE
# A person who clicks the other window gets it in front again (it would stay behind a
# window left "above").
e2e_click "$OTHER_WIN" 20 20
e2e_check "clicking the other window puts it above ours again" e2e_wait_until 3 e2e_above "$OTHER_WIN" "$win"

e2e_kill_app
kill "$OTHER_PID" 2>/dev/null
wait "$OTHER_PID" 2>/dev/null
e2e_untrack "$OTHER_PID"

# ================================================================== minimized
# With the notification-area option off a minimized window stays in the taskbar; the
# alarm must bring it back.
e2e_write_settings 0 0 0
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear (second start)"
set_countdown "$win" 3
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
t_start=$(e2e_now_ms)
xdotool windowminimize "$win"
e2e_check "minimized: ICCCM state Iconic" e2e_wait_until 3 e2e_wm_state_is "$win" Iconic
e2e_check "minimized: _NET_WM_STATE_HIDDEN" e2e_wait_until 3 e2e_has_net_state "$win" _NET_WM_STATE_HIDDEN
e2e_check "minimized: not viewable" e2e_wait_until 3 e2e_not e2e_is_viewable "$win"
e2e_check "minimized: the count goes on in the caption" e2e_wait_until 2 e2e_caption_is "$win" "Lumiroka - 00:00:02"
e2e_check "minimized, no icon in the notification area (option off)" e2e_not e2e_wait_until 1 e2e_find_tray_icon
e2e_check "minimized, still iconic, not withdrawn to the notification area" e2e_wm_state_is "$win" Iconic

e2e_expect_caption "the alarm comes while minimized" "$win" "Lumiroka - 00:00:00" 5 "*"
e2e_expect_between "time from START to the alarm" $(($(e2e_now_ms) - t_start)) 2500 4500 ms
e2e_check "after the alarm the window is viewable" e2e_wait_until 2 e2e_is_viewable "$win"
e2e_check "after the alarm the ICCCM state is Normal" e2e_wait_until 2 e2e_wm_state_is "$win" Normal
e2e_check "after the alarm no _NET_WM_STATE_HIDDEN" e2e_wait_until 2 e2e_not e2e_has_net_state "$win" _NET_WM_STATE_HIDDEN
e2e_check "after the alarm the buttons are visible on the screen" \
    e2e_wait_until 2 buttons_visible_on_screen "$win" restored
e2e_check "after the alarm the window is the active one" e2e_wait_until 2 e2e_is_active "$win"
sleep 0.5
e2e_check "the window does not keep _NET_WM_STATE_ABOVE" e2e_not e2e_has_net_state "$win" _NET_WM_STATE_ABOVE
restored="$E2E_TMP/shots/restored.png"
e2e_screenshot "$win" "$restored" && e2e_keep "$restored" restored
# The checks above may have taken a while on a loaded machine: any second after zero will do.
e2e_check "the time counts up after the alarm" e2e_wait_until 3 e2e_caption_matches "$win" '^Lumiroka - 00:00:0[1-9]$'
e2e_log "caption now: $(e2e_caption "$win")"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "START・STOP stops it" e2e_caption_steady "$win" 1.2

e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the program" e2e_wait_app_exit 3

e2e_finish
