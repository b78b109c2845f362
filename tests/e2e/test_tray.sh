#!/usr/bin/env bash
# shellcheck disable=SC2119,SC2317,SC2016 # optional arguments; helpers run through e2e_check; awk
# The notification area: minimizing hides the window behind an icon in trayer; the
# icon's menu (on the release of the left or right button) restores the window or ends
# the program; the count
# goes on meanwhile; a countdown started with both options on hides at START and comes
# back at zero; losing the tray host brings the window back.
#
# usage: test_tray.sh /path/to/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
e2e_start_session

has_icon() { local icon; icon=$(e2e_find_tray_icon) && e2e_is_viewable "$icon"; }
has_menu() { e2e_find_menu >/dev/null; }

# hide_to_tray WIN: minimizes the window and checks that it went into the tray.
hide_to_tray() {
    xdotool windowminimize "$1"
    e2e_check "minimized: the window is no longer viewable" e2e_wait_until 3 e2e_not e2e_is_viewable "$1"
    e2e_check "minimized: the window manager no longer lists it" e2e_wait_until 3 e2e_not e2e_in_client_list "$1"
    e2e_check "minimized: our icon is docked in trayer" e2e_wait_until 3 has_icon
    sleep 0.3 # a person's reaction time: a click in the first 0.1 s or so after docking is lost
}

# open_menu BUTTON: clicks the icon and waits for the menu; sets MENU.
open_menu() {
    e2e_click_tray_icon "$1"
    MENU=$(e2e_wait_window 3 e2e_find_menu) || { e2e_fail "button $1 on the icon: no popup menu"; return 1; }
    e2e_pass "button $1 on the icon opens an override-redirect popup menu"
}

# restored WIN: the icon has gone and the window is back on the screen.
restored() {
    e2e_check "restored: the icon is removed" e2e_wait_until 3 e2e_not has_icon
    e2e_check "restored: the window is viewable" e2e_wait_until 3 e2e_is_viewable "$1"
    e2e_check "restored: ICCCM state Normal" e2e_wait_until 3 e2e_wm_state_is "$1" Normal
    e2e_check "restored: no _NET_WM_STATE_HIDDEN" e2e_not e2e_has_net_state "$1" _NET_WM_STATE_HIDDEN
}

# ================================================================== icon, menu, restore, close
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "counting before minimizing" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
e2e_record_captions "$win" 6 >"$E2E_TMP/captions.txt" &
recorder=$!
hide_to_tray "$win"
icon=$(e2e_find_tray_icon)
e2e_check "the icon is about 22x22" grep -qE '^(1[6-9]|2[0-9])x(1[6-9]|2[0-9])$' <<<"$(e2e_window_size "$icon")"
panel=$(e2e_tray_panel)
read -r px py <<<"$(e2e_window_pos "$panel")"
tray="$E2E_TMP/shots/tray.png"
e2e_screenshot root "$E2E_TMP/shots/screen.png"
e2e_crop "$E2E_TMP/shots/screen.png" "$(e2e_window_size "$panel")+$px+$py" "$tray" && e2e_keep "$tray" tray
e2e_expect_between "pink pixels of the stopwatch in the notification area" "$(e2e_count_color "$tray" pink)" 20 484

# The press alone opens nothing; the release does.
xdotool mousemove --window "$icon" 11 11 mousedown 1
e2e_check "a press on the icon alone opens no menu" e2e_not e2e_wait_until 0.8 has_menu
xdotool mouseup 1
e2e_check "the release of the left button opens the menu" e2e_wait_until 3 has_menu && {
    MENU=$(e2e_find_menu)
    e2e_screenshot "$MENU" "$E2E_TMP/shots/menu-left.png" && e2e_keep "$E2E_TMP/shots/menu-left.png" menu
    e2e_key Escape
    e2e_check "Escape closes the menu" e2e_wait_until 2 e2e_not has_menu
    sleep 0.3
    e2e_check "after Escape the window is still hidden" e2e_not e2e_is_viewable "$win"
    e2e_check "after Escape the icon is still there" has_icon
}
open_menu 3 && {
    e2e_screenshot "$MENU" "$E2E_TMP/shots/menu-right.png"
    e2e_check "the right button opens the same menu" e2e_same_image "$E2E_TMP/shots/menu-left.png" "$E2E_TMP/shots/menu-right.png"
    e2e_key r
    restored "$win"
}
wait "$recorder"
# Every second from 00:00:01 on, one after the other, about a second apart, hidden or not.
e2e_check "the caption counted on while hidden and after, without a gap" awk -F'\t' '
    { split($2, t, ":"); s = t[3] + 0 }
    NR > 1 && (s != prev + 1 || $1 - at > 1600 || $1 - at < 500) { print "gap: " $0 > "/dev/stderr"; bad = 1 }
    { prev = s; at = $1 } END { exit bad || prev < 6 }' "$E2E_TMP/captions.txt" ||
    cat "$E2E_TMP/captions.txt" >&2

hide_to_tray "$win"
open_menu 1 && {
    xdotool mousemove --window "$MENU" 40 10 click 1 # the first item
    restored "$win"
}
hide_to_tray "$win"
open_menu 1 && {
    read -r _ mh <<<"$(e2e_window_size "$MENU" | tr x ' ')"
    xdotool mousemove --window "$MENU" 40 $((mh - 10)) click 1 # the last item
}
e2e_check "close: the icon is removed" e2e_wait_until 3 e2e_not has_icon
e2e_check "close: the program ends" e2e_wait_app_exit 3 && e2e_expect_eq "exit code after close" 0 "$APP_EXIT_CODE"
e2e_app_running && e2e_kill_app

# ================================================================== countdown with both options on
e2e_write_settings 0 1 1
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear (both options on)"
for _ in 1 2 3; do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
t0=$(e2e_now_ms)
e2e_check "START hides the window at once" e2e_wait_until 1 e2e_not e2e_is_viewable "$win"
e2e_check "START puts the icon in the tray at once" e2e_wait_until 1 has_icon
e2e_check "the icon stays while counting down" e2e_not e2e_wait_until 1.5 e2e_not has_icon
e2e_expect_caption "the countdown reaches zero" "$win" "Lumiroka - 00:00:00" 4 "*"
e2e_expect_between "time from START to zero" $(($(e2e_now_ms) - t0)) 2500 4000 ms
e2e_expect_caption "after zero the time counts up" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka - 00:00:00"
restored "$win" # by now, a second after zero
e2e_is_viewable "$win" && e2e_screenshot "$win" "$E2E_TMP/shots/alarm.png" && e2e_keep "$E2E_TMP/shots/alarm.png" alarm
e2e_kill_app

# ================================================================== the tray host goes away
e2e_write_settings 0 0 1
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear (third start)"
hide_to_tray "$win"
kill "$E2E_TRAYER_PID"
wait "$E2E_TRAYER_PID" 2>/dev/null
e2e_untrack "$E2E_TRAYER_PID"
t0=$(e2e_now_ms)
e2e_check "without the tray host the window comes back" e2e_wait_until 5 e2e_is_viewable "$win"
e2e_log "back after $(($(e2e_now_ms) - t0)) ms"
e2e_check "... in ICCCM state Normal" e2e_wait_until 2 e2e_wm_state_is "$win" Normal
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the program" e2e_wait_app_exit 3

e2e_finish
