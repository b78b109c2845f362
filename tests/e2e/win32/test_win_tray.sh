#!/usr/bin/env bash
# shellcheck disable=SC2317,SC2016 # helpers run through e2e_check; eval of quoted tests
# The Windows program's notification area under Wine: minimizing hides the window behind
# an icon docked in trayer; releasing the left or the right button on the icon opens the
# menu, whose items bring the window back or end the program; a countdown started with
# both options on hides at START and comes back, in front, at zero.
#
# usage: test_win_tray.sh /path/to/lumiroka.exe
set -u
# shellcheck source=winlib.sh
source "$(dirname "$0")/winlib.sh"
e2e_init "${1:-}"
e2e_start_session
win_clear_settings # the defaults: the tray option is on

# hide_to_tray WIN: minimizes the window and checks that it went into the tray.
hide_to_tray() {
    xdotool windowminimize "$1"
    e2e_check "minimized: the window is no longer viewable" e2e_wait_until 3 e2e_not e2e_is_viewable "$1"
    e2e_check "minimized: the window manager no longer lists it" e2e_wait_until 3 e2e_not e2e_in_client_list "$1"
    e2e_check "minimized: the icon is docked in trayer" e2e_wait_until 5 win_has_icon
    e2e_wait_until 3 win_icon_shot "$E2E_TMP/shots/tray.png" && e2e_keep "$E2E_TMP/shots/tray.png" tray ||
        e2e_log "Wine's docked icon is blank in this session (see win_tray_release)"
    sleep 0.3
}

# open_menu BUTTON: releases a button on the icon and waits for the menu; sets MENU.
open_menu() {
    win_tray_release "$1" || { e2e_fail "button $1 on the icon: no menu"; return 1; }
    e2e_pass "button $1 on the icon opens the menu"
    sleep 0.3 # drawn
}

restored() {
    e2e_check "restored: the icon is removed" e2e_wait_until 3 e2e_not win_has_icon
    e2e_check "restored: the window is viewable" e2e_wait_until 3 e2e_is_viewable "$1"
    e2e_check "restored: ICCCM state Normal" e2e_wait_until 3 e2e_wm_state_is "$1" Normal
}

# ================================================================== icon, menu, restore, close
e2e_launch_app
win=$(e2e_main_window 30) || e2e_die "the main window did not appear"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "counting before minimizing" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
hidden_at=$(e2e_now_ms)
hide_to_tray "$win"

open_menu 1 && {
    e2e_screenshot "$MENU" "$E2E_TMP/shots/menu-left.png" && e2e_keep "$E2E_TMP/shots/menu-left.png" menu
    xdotool mousemove 300 500 click 1 # elsewhere: the menu closes, nothing chosen
    e2e_check "a click elsewhere closes the menu" e2e_wait_until 3 e2e_not win_has_menu
    e2e_check "... the window stays hidden" e2e_not e2e_is_viewable "$win"
    e2e_check "... the icon stays" win_has_icon
}
open_menu 3 && {
    e2e_screenshot "$MENU" "$E2E_TMP/shots/menu-right.png"
    e2e_check "the right button opens the same menu" \
        e2e_same_image "$E2E_TMP/shots/menu-left.png" "$E2E_TMP/shots/menu-right.png"
    # Hidden for 2.5 s at least, the count that read 1 before must read 3 or more right
    # after the restore; a count that stood still while hidden would still read 1 or 2.
    wait_ms=$((hidden_at + 2500 - $(e2e_now_ms)))
    ((wait_ms > 0)) && sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
    xdotool mousemove --window "$MENU" 40 10 click 1 # the first item
    restored "$win"
}
e2e_check "the count went on while hidden" e2e_caption_matches "$win" '^Lumiroka - 00:00:(0[3-9]|1[0-9])$'

hide_to_tray "$win"
open_menu 1 && {
    read -r _ mh <<<"$(e2e_window_size "$MENU" | tr x ' ')"
    xdotool mousemove --window "$MENU" 40 $((mh - 10)) click 1 # the last item
}
e2e_check "close: the icon is removed" e2e_wait_until 4 e2e_not win_has_icon
e2e_check "close: the program ends" e2e_wait_app_exit 4 && e2e_expect_eq "exit code after close" 0 "$APP_EXIT_CODE"
e2e_app_running && e2e_kill_app

# ================================================================== alarm from the tray
e2e_write_settings 0 1 1
e2e_launch_app
win=$(e2e_main_window 30) || e2e_die "the main window did not appear (both options on)"
e2e_open_other_window xcalc || e2e_die "xcalc did not open"
e2e_activate "$win" 3
for _ in 1 2 3; do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "START hides the window at once" e2e_wait_until 1.5 e2e_not e2e_is_viewable "$win"
e2e_check "START puts the icon in the tray" e2e_wait_until 2 win_has_icon
e2e_activate "$OTHER_WIN" 3 || true
e2e_expect_caption "the countdown reaches zero" "$win" "Lumiroka - 00:00:00" 5 "*"
restored "$win"
e2e_check "back in front of xcalc" e2e_wait_until 2 e2e_above "$win" "$OTHER_WIN"
e2e_check "not left always on top" e2e_not e2e_has_net_state "$win" _NET_WM_STATE_ABOVE
shot=$(e2e_shot_area_stable "$win" "$E2E_AREA_CHARACTER" alarm-pose) && e2e_keep "$shot" alarm-pose
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the program" e2e_wait_app_exit 5
e2e_finish
