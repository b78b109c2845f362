#!/usr/bin/env bash
# shellcheck disable=SC2317,SC2016 # helpers run through e2e_check; eval of quoted tests
# The Windows program under Wine: the caption counts up; a countdown that ends while the
# window is minimized in the taskbar brings it back in front of another program's window
# without taking the keyboard from it (every character typed there through the alarm
# arrives) or leaving it always on top, and the count goes on until START・STOP (what is
# heard meanwhile: test_win_sound.sh); a Space that reaches the window just after such an alarm does not press it.
# The wheel over a scroll bar moves it a step per notch. The taskbar's progress object
# (COM and the shell's library) is loaded with the first countdown, not before.
#
# usage: test_win_timer.sh /path/to/lumiroka.exe
set -u
# shellcheck source=winlib.sh
source "$(dirname "$0")/winlib.sh"
e2e_init "${1:-}"
e2e_start_session
e2e_write_settings 0 0 0 # the tray option off: minimized means the taskbar

e2e_launch_app
win=$(e2e_main_window 30) || e2e_die "the main window did not appear"
e2e_check "the window is centred on the work area" e2e_wait_until 3 eval \
    '[[ "$(e2e_window_pos "$win")" == "$(( (E2E_SCREEN_W - E2E_MAIN_W) / 2 )) "* ]]'
shot=$(e2e_shot_area_stable "$win" "${E2E_MAIN_W}x${E2E_MAIN_H}+0+0" main) && e2e_keep "$shot" main
e2e_expect_between "the character is drawn (orange pixels)" "$(e2e_count_color "$shot" orange)" 500 20000

digits0=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits0)
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "count up: first second" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
e2e_expect_caption "count up: second second" "$win" "Lumiroka - 00:00:02" 2 "Lumiroka - 00:00:01"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "STOP holds the caption" e2e_caption_steady "$win" 1.5
e2e_click_at "$win" "$E2E_PT_RESET"
e2e_expect_caption "RESET clears the caption" "$win" "Lumiroka" 2 "*"
# Digits drawn again over the panel leave nothing of the earlier ones behind.
shot=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits00)
e2e_check "RESET shows 00:00:00 as it was drawn at start" e2e_same_image "$digits0" "$shot"

# The wheel over the minutes bar: a notch away from the person raises it, one towards
# lowers it, through the bar's own change (the digits follow).
xdotool mousemove --window "$win" 168 40 click 4
shot=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" wheel1) && e2e_keep "$shot" wheel
e2e_check "a wheel notch over the minutes bar changes the digits" e2e_not e2e_same_image "$digits0" "$shot"
xdotool mousemove --window "$win" 168 40 click 5
shot=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" wheel0)
e2e_check "a notch back shows 00:00:00 again" e2e_same_image "$digits0" "$shot"
e2e_check "the stopwatch loaded nothing for the taskbar's progress" e2e_not win_loaded explorerframe

# ================================================================== alarm from the taskbar
e2e_open_typing_target || e2e_die "the other program did not open"
for _ in 1 2 3; do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
shot=$(e2e_shot_area_stable "$win" "$E2E_AREA_DIGITS" digits3) && e2e_keep "$shot" digits
e2e_check "the seconds bar redraws the digits" e2e_not e2e_same_image "$digits0" "$shot"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
t0=$(e2e_now_ms)
e2e_check "the countdown brings the taskbar's progress object" e2e_wait_until 3 win_loaded explorerframe
xdotool windowminimize "$win"
e2e_check "minimized: the window is not viewable" e2e_wait_until 2 e2e_not e2e_is_viewable "$win"
e2e_check "minimized into the taskbar, still managed" e2e_in_client_list "$win"
e2e_activate "$OTHER_WIN" 3 || e2e_log "the other program could not be activated"
xdotool mousemove --window "$OTHER_WIN" 60 60 click 1
e2e_start_typing
e2e_expect_caption "the countdown reaches zero" "$win" "Lumiroka - 00:00:00" 5 "*"
e2e_expect_between "time from START to zero" $(($(e2e_now_ms) - t0)) 2500 4000 ms
e2e_check "at zero the window is back on screen" e2e_wait_until 3 e2e_is_viewable "$win"
e2e_check "... in front of the other program's window" e2e_wait_until 2 e2e_above "$win" "$OTHER_WIN"
e2e_check "... which keeps the keyboard" e2e_is_active "$OTHER_WIN"
e2e_check "... and not left always on top" e2e_not e2e_has_net_state "$win" _NET_WM_STATE_ABOVE
e2e_expect_caption "after zero the time counts on upwards" "$win" "Lumiroka - 00:00:02" 3 "*"
e2e_stop_typing
e2e_check "the other program still has the keyboard" e2e_is_active "$OTHER_WIN"
e2e_check "every character typed through the alarm arrived in the other program" e2e_text_arrived
e2e_log "characters lost: $(e2e_characters_lost)"
shot=$(e2e_shot_area_stable "$win" "${E2E_MAIN_W}x${E2E_MAIN_H}+0+0" alarm) && e2e_keep "$shot" alarm
e2e_activate "$OTHER_WIN" 3 && e2e_check "the other window can cover ours again" e2e_wait_until 2 e2e_above "$OTHER_WIN" "$win"

e2e_activate "$win" 3
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
sleep 0.3
e2e_check "START・STOP stops the count" e2e_caption_steady "$win" 2.2

# ================================================================== a key just after the alarm
# The alarm comes while the other program has the keyboard; the window manager hands it to
# ours at once and the person's next Space arrives: it does not press START・STOP.
e2e_click_at "$win" "$E2E_PT_RESET"
for _ in 1 2; do e2e_click_at "$win" "$E2E_PT_SEC_UP"; done
e2e_click_at "$win" "$E2E_PT_STARTSTOP" # the focus on START・STOP, as a click leaves it
e2e_activate "$OTHER_WIN" 3 || e2e_log "the other program could not be activated"
e2e_expect_caption "the second countdown reaches zero" "$win" "Lumiroka - 00:00:00" 4 "*"
e2e_activate "$win" 2 || e2e_log "our window could not be activated"
e2e_key space
e2e_check "a Space just after the alarm leaves it ringing (the caption counts on)" \
    e2e_wait_until 3 e2e_caption_is "$win" "Lumiroka - 00:00:03"
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_check "a click silences it at once" e2e_caption_steady "$win" 1.5

e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the program" e2e_wait_app_exit 5
e2e_finish
