#!/usr/bin/env bash
# shellcheck disable=SC2119 # e2e_launch_app takes optional program arguments
# The alarm reaches a person who goes on typing in another program (openbox): from
# behind that program's window, from the taskbar (minimized, notification-area option
# off) and from the notification area. Each time our window comes in front while the
# keyboard stays with the other program: every character typed through the alarm and
# for 5 s after it arrives there, and the alarm still rings. Silenced, the window is an
# ordinary one again that the other window can cover.
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

end_other() {
    e2e_stop_typing
    kill "$OTHER_PID" 2>/dev/null
    wait "$OTHER_PID" 2>/dev/null
    e2e_untrack "$OTHER_PID"
}

# alarm_while_typing CHECK2 HOW TAG (HOW: behind | minimize)
alarm_while_typing() {
    local check2=$1 how=$2 tag=$3 win t_start t0 x y
    e2e_write_settings 0 0 "$check2"
    e2e_launch_app
    win=$(e2e_main_window 20) || e2e_die "$tag: the main window did not appear"
    set_countdown "$win" 4
    e2e_click_at "$win" "$E2E_PT_STARTSTOP"
    t_start=$(e2e_now_ms)
    if [[ $how == minimize ]]; then
        xdotool windowminimize "$win"
        if [[ $check2 == 1 ]]; then
            e2e_check "$tag: minimized into the notification area (withdrawn)" e2e_wait_until 3 e2e_not e2e_is_viewable "$win"
            e2e_check "$tag: our icon is in the notification area" e2e_wait_until 3 e2e_find_tray_icon
        else
            e2e_check "$tag: minimized (ICCCM Iconic)" e2e_wait_until 3 e2e_wm_state_is "$win" Iconic
        fi
    fi
    # Another program's window over ours, active, and the person typing in it.
    read -r x y <<<"$(e2e_window_pos "$win")"
    e2e_open_typing_target || e2e_die "$tag: the other program did not appear"
    xdotool windowmove "$OTHER_WIN" $((x - 100)) $((y - 90)) 2>/dev/null
    e2e_start_typing
    if [[ $how == behind ]]; then
        e2e_check "$tag: before the alarm the other window is above ours" e2e_wait_until 3 e2e_above "$OTHER_WIN" "$win"
        e2e_check "$tag: before the alarm the other window covers our buttons" \
            e2e_not buttons_visible_on_screen "$win" "$tag-covered"
    fi
    e2e_check "$tag: the countdown is still running (no alarm yet)" e2e_not grep -q '00:00:00' <<<"$(e2e_caption "$win")"

    e2e_expect_caption "$tag: the alarm comes" "$win" "Lumiroka - 00:00:00" 6 "*"
    t0=$(e2e_now_ms)
    e2e_expect_between "$tag: time from START to the alarm" $((t0 - t_start)) 3300 5500 ms
    e2e_check "$tag: after the alarm the window is viewable" e2e_wait_until 2 e2e_is_viewable "$win"
    e2e_check "$tag: after the alarm the ICCCM state is Normal" e2e_wait_until 2 e2e_wm_state_is "$win" Normal
    e2e_check "$tag: after the alarm our window is above the other one" e2e_wait_until 2 e2e_above "$win" "$OTHER_WIN"
    e2e_check "$tag: after the alarm our buttons are visible on the screen" \
        e2e_wait_until 2 buttons_visible_on_screen "$win" "$tag"
    e2e_check "$tag: the other program keeps the keyboard" e2e_is_active "$OTHER_WIN"
    e2e_screenshot root "$E2E_TMP/shots/$tag.png" && e2e_keep "$E2E_TMP/shots/$tag.png" "$tag"
    sleep "$(awk -v left=$((t0 + 5000 - $(e2e_now_ms))) 'BEGIN { printf "%.2f", (left > 0 ? left : 0) / 1000 }')"
    e2e_stop_typing
    e2e_check "$tag: after 5 s of typing the other program still has the keyboard" e2e_is_active "$OTHER_WIN"
    e2e_check "$tag: not one typed character missing from the other program" e2e_text_arrived
    e2e_log "$tag: characters lost: $(e2e_characters_lost)"
    e2e_check "$tag: the alarm still rings 5 s later (the caption counts on)" \
        e2e_wait_until 2 e2e_caption_matches "$win" '^Lumiroka - 00:00:(0[5-9]|[1-5][0-9])$'

    if [[ $how == behind ]]; then
        # The person looks at the alarm, then goes back to the other window while it
        # still rings: ours is an ordinary window again that the other one covers.
        e2e_activate "$win" 3 || e2e_log "$tag: note: our window did not become active"
        e2e_click "$OTHER_WIN" 20 20
        e2e_check "$tag: activating another window ends the hold on \"above\"" \
            e2e_wait_until 2 e2e_not e2e_has_net_state "$win" _NET_WM_STATE_ABOVE
        e2e_check "$tag: ... and that window covers ours while the alarm rings" e2e_wait_until 2 e2e_above "$OTHER_WIN" "$win"
        e2e_activate "$win" 3 || e2e_log "$tag: note: our window did not become active"
    fi
    # Silenced by a click: an ordinary window again, which the other one can cover.
    e2e_click_at "$win" "$E2E_PT_STARTSTOP"
    e2e_check "$tag: START・STOP stops it" e2e_caption_steady "$win" 1.2
    e2e_check "$tag: the window does not keep _NET_WM_STATE_ABOVE" e2e_not e2e_has_net_state "$win" _NET_WM_STATE_ABOVE
    e2e_click "$OTHER_WIN" 20 20
    e2e_check "$tag: clicking the other window puts it above ours again" e2e_wait_until 3 e2e_above "$OTHER_WIN" "$win"
    e2e_kill_app
    end_other
}

alarm_while_typing 0 behind behind
alarm_while_typing 0 minimize minimized
alarm_while_typing 1 minimize tray

e2e_finish
