#!/usr/bin/env bash
# shellcheck disable=SC2317 # helpers run through e2e_check and e2e_wait_until
# The alarm on Wayland compositors while a person goes on typing in another program,
# through zero and for 10 s after it.
#
# sway (it focuses every window it maps; no "above"): Lumiroka native and through
# XWayland, from behind the other window (our window is marked urgent, the other program
# keeps the keyboard, not one character lost) and from the tray (waybar): there sway hands
# the keyboard to our window when it comes back, so characters are lost; the figure is
# logged, and the person's typing, Spaces included, never silences the alarm.
# KWin (native): our window demands attention, nothing typed is lost, the alarm rings on;
# the desktop notification's action brings the window in front with the token the
# notification service hands over.
# GNOME Shell (native, no XWayland): our window demands attention, nothing typed is lost,
# the alarm rings on; GNOME 43 hands over no token with the notification's action, so the
# window stays behind: the notification comes back while the alarm rings.
#
# usage: test_wayland.sh /path/to/lumiroka sway|kwin|gnome
set -u
source "$(dirname "$0")/wayland.sh"
COMPOSITOR=${2:-}
wl_init "${1:-}" "$COMPOSITOR"
wl_start "$COMPOSITOR"

SHOTS=$E2E_ARTIFACTS/wayland
RINGING_AFTER='^Lumiroka - 00:00:(1[0-9]|[2-5][0-9])$'
COUNTDOWN=5

# Time left until T0_MS + MS, in seconds for sleep.
until_ms() { awk -v left=$(($1 - $(e2e_now_ms))) 'BEGIN { printf "%.2f", (left > 0 ? left : 0) / 1000 }'; }

# ================================================================== sway
sway_focus() { wl_run swaymsg "[title=\"$1\"] focus" >/dev/null; }

# Sets the seconds bar and presses START・STOP with the keyboard (the focus is on
# START・STOP when the window opens; Tab x4 reaches the seconds bar and back).
sway_start_countdown() {
    local keys=(-k Tab -k Tab -k Tab -k Tab) i
    for ((i = 0; i < COUNTDOWN; i++)); do keys+=(-k Right); done
    keys+=(-k Tab -k Tab -k Tab -k Tab -k space)
    sway_focus '^Lumiroka'
    sleep 0.3
    wl_sway_keys "${keys[@]}"
}

sway_shot() { wl_run grim "$E2E_TMP/$1.png" 2>/dev/null && cp "$E2E_TMP/$1.png" "$SHOTS/sway-$1.png"; }

# sway_case native|xwayland behind|tray
sway_case() {
    local how=$1 where=$2 tag="$1-$2" t0 lost urgent=no kept=no ringing=no notified
    notified=$(wl_notify_count Notify)
    if [[ $where == tray ]]; then e2e_write_settings 0 1 1; else e2e_write_settings 0 0 1; fi
    [[ -n "$WL_USER" ]] && chown -R "$WL_USER:" "$XDG_CONFIG_HOME"
    wl_launch "$how"
    e2e_check "$tag: the window appears" e2e_wait_until 15 eval '[[ -n "$(wl_sway_title)" ]]' ||
        { wl_end_app; return; }
    wl_run swaymsg '[title="^Lumiroka"] move position 500 330' >/dev/null
    wl_open_other
    e2e_wait_until 10 eval '[[ -n "$(wl_sway_field other 1)" ]]' || e2e_die "$tag: the other window is not shown"
    wl_run swaymsg '[title="^other$"] resize set 600 400, move position 400 250' >/dev/null
    sway_start_countdown
    if [[ $where == tray ]]; then
        # Minimized when timing starts, into the tray.
        e2e_check "$tag: START (typed) sends the window to the tray" e2e_wait_until 3 eval '[[ -z "$(wl_sway_title)" ]]'
    else
        e2e_check "$tag: START (typed) runs the countdown" \
            e2e_wait_until 3 wl_sway_title_matches "^Lumiroka - 00:00:0[0-$((COUNTDOWN - 1))]$"
    fi || { e2e_log "$tag: $(wl_sway_windows | tr '\t\n' ' |')"; sway_shot "$tag-start"; wl_end_app; wl_close_other; return; }
    sway_focus '^other$'
    e2e_check "$tag: the other program has the keyboard" e2e_wait_until 2 eval '[[ "$(wl_sway_field other 3)" == True ]]'
    wl_start_typing $((COUNTDOWN + 10))
    e2e_check "$tag: the alarm comes" e2e_wait_until $((COUNTDOWN + 3)) wl_sway_title_matches '^Lumiroka - 00:00:0[0-1]$'
    t0=$(e2e_now_ms)
    if [[ $where == behind ]]; then
        e2e_check "$tag: sway marks our window urgent" e2e_wait_until 3 wl_sway_lumi_is 4 True && urgent=yes
        e2e_check "$tag: the other program keeps the keyboard" eval '[[ "$(wl_sway_field other 3)" == True ]]' && kept=yes
    else
        e2e_check "$tag: the window is back on screen" e2e_wait_until 3 wl_sway_lumi_is 5 True
    fi
    sway_shot "$tag"
    sleep "$(until_ms $((t0 + 10000)))"
    wl_stop_typing
    sleep 0.5
    lost=$(e2e_characters_lost)
    if [[ $where == behind ]]; then
        e2e_check "$tag: not one typed character missing from the other program" e2e_text_arrived ||
            e2e_log "$tag: typed '$(cat "$E2E_TYPED")', arrived '$(cat "$OTHER_TEXT")'"
    fi
    e2e_check "$tag: the alarm still rings after 10 s of typing (the caption counts on)" \
        e2e_wait_until 2 wl_sway_title_matches "$RINGING_AFTER" && ringing=yes
    e2e_log "measured: sway $tag: urgent $urgent, keyboard kept $kept, still ringing $ringing, characters lost $lost, notification shown $(($(wl_notify_count Notify) - notified))"
    wl_end_app
    wl_close_other
}

# ================================================================== KWin
kwin_script() {
    local f=$E2E_TMP/do.$RANDOM.js tag="DO$RANDOM" id
    printf '%s\n' "$1" >"$f"
    chmod 644 "$f"
    id=$(wl_run dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
        "string:$f" "string:$tag" 2>/dev/null | awk '/int32/ { print $2 }')
    # KWin 5.27 names a loaded script's object by its number alone.
    wl_run dbus-send --session --print-reply --dest=org.kde.KWin "/$id" org.kde.kwin.Script.run >/dev/null 2>&1
    sleep 0.2
    wl_run dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.unloadScript \
        "string:$tag" >/dev/null 2>&1
}

# The person typed on for 10 s from T0 (the alarm): sets the caller's `lost` and `ringing`
# from what reached the other program and whether the caption (read by TITLE_MATCHES)
# still counts on.
typed_through() { # T0 TITLE_MATCHES
    sleep "$(until_ms $(($1 + 10000)))"
    wl_stop_typing
    sleep 0.5
    lost=$(e2e_characters_lost)
    e2e_check "$tag: not one typed character missing from the other program" e2e_text_arrived
    e2e_check "$tag: the alarm still rings after 10 s of typing (the caption counts on)" \
        e2e_wait_until 2 "$2" "$RINGING_AFTER" && ringing=yes
    return 0
}

kwin_case() {
    local tag=native-behind t0 lost attention=no kept=no ringing=no action=no keys i
    e2e_write_settings 0 0 1
    [[ -n "$WL_USER" ]] && chown -R "$WL_USER:" "$XDG_CONFIG_HOME"
    wl_launch native
    e2e_check "$tag: the window appears, active" e2e_wait_until 15 wl_kwin_lumi_is 2 true || return
    sleep 1 # the program has the keyboard's map
    keys=(Tab Tab Tab Tab)
    for ((i = 0; i < COUNTDOWN; i++)); do keys+=(Right); done
    keys+=(Tab Tab Tab Tab space)
    wl_kwin_input keys "${keys[@]}"
    e2e_check "$tag: START (typed) runs the countdown" \
        e2e_wait_until 3 wl_kwin_title_matches "^Lumiroka - 00:00:0[0-$((COUNTDOWN - 1))]$" || return
    wl_open_other
    e2e_wait_until 10 eval '[[ -n "$(wl_kwin_field other 1)" ]]' || e2e_die "$tag: the other window is not shown"
    kwin_script 'var cs = workspace.clientList(); var l, o;
for (var i = 0; i < cs.length; i++) { if (cs[i].caption.indexOf("Lumiroka") == 0) l = cs[i]; if (cs[i].caption == "other") o = cs[i]; }
o.frameGeometry = {x: l.x - 100, y: l.y - 80, width: 600, height: 400}; workspace.activeClient = o;'
    e2e_check "$tag: the other program has the keyboard" e2e_wait_until 2 eval '[[ "$(wl_kwin_field other 2)" == true ]]'
    wl_start_typing $((COUNTDOWN + 10))
    e2e_check "$tag: the alarm comes" e2e_wait_until $((COUNTDOWN + 3)) wl_kwin_title_matches '^Lumiroka - 00:00:0[0-1]$'
    t0=$(e2e_now_ms)
    e2e_check "$tag: KWin marks our window as demanding attention" e2e_wait_until 3 wl_kwin_lumi_is 3 true && attention=yes
    e2e_check "$tag: the other program keeps the keyboard" eval '[[ "$(wl_kwin_field other 2)" == true ]]' && kept=yes
    typed_through "$t0" wl_kwin_title_matches
    # The desktop notification, top right (mako): a click on it.
    e2e_check "$tag: the desktop notification is shown" test "$(wl_notify_count Notify)" -ge 1
    wl_kwin_input click $((WL_SCREEN_W - 170)) 40
    e2e_check "$tag: the notification's action brings our window in front, active" \
        e2e_wait_until 3 wl_kwin_lumi_is 2 true && action=yes
    e2e_check "$tag: the service handed over an activation token" grep -q 'member=ActivationToken$' "$WL_NOTIFY_LOG"
    e2e_log "measured: kwin $tag: demands attention $attention, keyboard kept $kept, still ringing $ringing, characters lost $lost, notification action brings it in front $action"
    wl_end_app
    wl_close_other
}

# ================================================================== GNOME Shell
gnome_case() {
    local tag=native-behind t0 lost attention=no kept=no ringing=no back=no
    e2e_write_settings 0 0 1
    [[ -n "$WL_USER" ]] && chown -R "$WL_USER:" "$XDG_CONFIG_HOME"
    wl_launch native
    e2e_check "$tag: the window appears, with the keyboard" e2e_wait_until 15 wl_gnome_lumi_is 2 true || return
    sleep 1 # the program has the keyboard's map
    wl_gnome_eval "global._wl.keys('Tab Tab Tab Tab $(printf 'Right %.0s' $(seq $COUNTDOWN))Tab Tab Tab Tab space'); 'ok'" >/dev/null
    e2e_check "$tag: START (typed) runs the countdown" \
        e2e_wait_until 3 wl_gnome_title_matches "^Lumiroka - 00:00:0[0-$((COUNTDOWN - 1))]$" || return
    wl_open_other
    e2e_wait_until 10 eval '[[ -n "$(wl_gnome_field other 1)" ]]' || e2e_die "$tag: the other window is not shown"
    # Over ours, all of it: GNOME asks for attention only for a window that is covered.
    # (asked again until done: a window still being set up takes no move).
    gnome_cover() {
        [[ "$(wl_gnome_eval 'const w = global._wl.win("other"); const l = global._wl.win("Lumiroka").get_frame_rect();
            if (!w.get_frame_rect().contains_rect(l)) { w.move_resize_frame(true, l.x - 100, l.y - 80, 600, 400);
                w.activate(global.get_current_time()); } w.get_frame_rect().contains_rect(l) ? 1 : 0')" == 1 ]]
    }
    e2e_check "$tag: the other window covers ours" e2e_wait_until 5 gnome_cover
    wl_gnome_eval 'global._wl.win("other").activate(global.get_current_time()); "ok"' >/dev/null
    e2e_check "$tag: the other program has the keyboard" e2e_wait_until 2 eval '[[ "$(wl_gnome_field other 2)" == true ]]'
    wl_start_typing $((COUNTDOWN + 10))
    e2e_check "$tag: the alarm comes" e2e_wait_until $((COUNTDOWN + 3)) wl_gnome_title_matches '^Lumiroka - 00:00:0[0-1]$'
    t0=$(e2e_now_ms)
    # What the program does is ask, with a token for its own surface; whether GNOME then
    # marks the window is the compositor's choice, which it now and then lets pass (the
    # notification below is what keeps the alarm on the screen there).
    e2e_check "$tag: the compositor is asked for attention (a token for our surface, then activate)" \
        e2e_wait_until 3 grep -q 'xdg_activation_v1@[0-9]*\.activate(' "$APP_LOG"
    if e2e_wait_until 3 wl_gnome_lumi_is 3 true; then
        attention=yes
    else
        e2e_log "$tag: GNOME did not mark our window as demanding attention this time"
    fi
    e2e_check "$tag: the other program keeps the keyboard" eval '[[ "$(wl_gnome_field other 2)" == true ]]' && kept=yes
    typed_through "$t0" wl_gnome_title_matches
    # Our notification's action: GNOME 43 hands over no activation token, the window stays
    # where it is; while the alarm rings the notification comes back.
    e2e_check "$tag: our notification is shown" e2e_wait_until 3 eval '[[ "$(wl_gnome_eval "global._wl.notifications(\"時間\").length")" -ge 1 ]]'
    wl_gnome_eval 'global._wl.notifications("時間")[0].activate(); "ok"' >/dev/null
    e2e_wait_until 1 eval '[[ "$(wl_gnome_eval "global._wl.notifications(\"時間\").length")" == 0 ]]' ||
        e2e_log "$tag: the notification stayed after its action"
    e2e_check "$tag: after its action the notification comes back while the alarm rings" \
        e2e_wait_until 4 eval '[[ "$(wl_gnome_eval "global._wl.notifications(\"時間\").length")" -ge 1 ]]' && back=yes
    e2e_log "measured: gnome $tag: demands attention $attention, keyboard kept $kept, still ringing $ringing, characters lost $lost, notification back after its action $back; windows: $(wl_gnome_windows | tr '\t\n' ' |')"
    wl_end_app
    wl_close_other
}

case $COMPOSITOR in
gnome)
    WL_TYPE_CMD=wl_gnome_type
    gnome_case
    ;;
sway)
    WL_TYPE_CMD="wl_sway_keys -d 100"
    sway_case native behind
    sway_case xwayland behind
    wl_start_waybar
    sway_case native tray
    sway_case xwayland tray
    ;;
kwin)
    WL_TYPE_CMD="wl_kwin_input type"
    kwin_case
    ;;
esac
e2e_finish
