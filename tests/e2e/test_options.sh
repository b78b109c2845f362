#!/usr/bin/env bash
# shellcheck disable=SC2119,SC2317 # e2e_launch_app takes optional arguments; helpers run through e2e_check
# The OPTION dialog: its window, modality, the version box, choosing a character with OK
# (saved and shown) or without it (nothing changes), the choice surviving a restart, and
# a damaged settings file reported without being touched.
#
# usage: test_options.sh /path/to/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
e2e_start_session
conf="$XDG_CONFIG_HOME/Lumiroka/Lumiroka.conf"

# Points inside the dialog's controls, client coordinates.
PT_PIRO="28 24" PT_ZU="28 40" PT_TAVRICK="28 56" PT_OK="172 88" PT_VERSION="44 88"

# open_options WIN: clicks OPTION and waits for the dialog; sets DLG.
open_options() {
    e2e_click_at "$1" "$E2E_PT_OPTION"
    DLG=$(e2e_wait_window 5 e2e_find_app_window '^OPTION$' DIALOG) || e2e_die "OPTION opened no dialog"
}
dialog_open() { e2e_find_app_window '^OPTION$' DIALOG >/dev/null; }

# character_is WIN COLOUR TAG: the picture area is mostly of that colour (piro orange, zu
# blue, tavrick green) and has next to none of the other two.
character_is() {
    local shot c n
    shot=$(e2e_shot_area_stable "$1" "$E2E_AREA_CHARACTER" "$3") || return 1
    for c in orange blue green; do
        n=$(e2e_count_color "$shot" "$c")
        if { [[ $c == "$2" ]] && ((n < 1000)); } || { [[ $c != "$2" ]] && ((n > 200)); }; then
            e2e_log "$3: $n $c pixels"
            return 1
        fi
    done
}

# ================================================================== the dialog
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear"
e2e_check "at start the character is ピロ (orange)" character_is "$win" orange piro
e2e_click_at "$win" "$E2E_PT_STARTSTOP"
e2e_expect_caption "counting before OPTION" "$win" "Lumiroka - 00:00:01" 3 "Lumiroka"
open_options "$win"
read -r dx dy <<<"$(e2e_frame_centre_offset "$DLG")"
e2e_expect_between "horizontal distance of the framed dialog's centre from the work area centre" "${dx#-}" 0 1 px
e2e_expect_between "vertical distance of the framed dialog's centre from the work area centre" "${dy#-}" 0 1 px
e2e_check "the dialog is modal" e2e_has_net_state "$DLG" _NET_WM_STATE_MODAL
e2e_screenshot "$DLG" "$E2E_TMP/shots/dialog.png" && e2e_keep "$E2E_TMP/shots/dialog.png" dialog

# Behind the modal dialog the count goes on, and the main window takes no clicks.
first=$(e2e_caption "$win")
e2e_check "the caption keeps counting while the dialog is open" e2e_not e2e_caption_steady "$win" 1.5
e2e_click "$win" 168 113 # END, below the dialog
sleep 0.5
e2e_check "END under the modal dialog does nothing" e2e_app_running
e2e_log "caption went from \"$first\" to \"$(e2e_caption "$win")\""

e2e_click_at "$DLG" "$PT_VERSION"
if vbox=$(e2e_wait_window 3 e2e_find_app_window '^ﾊﾞｰｼﾞｮﾝ情報$' DIALOG); then
    e2e_pass "the version button opens \"ﾊﾞｰｼﾞｮﾝ情報\""
    e2e_screenshot "$vbox" "$E2E_TMP/shots/version.png" && e2e_keep "$E2E_TMP/shots/version.png" version
    e2e_key Return
    e2e_check "Return closes the version box" e2e_wait_until 3 e2e_not e2e_find_app_window '^ﾊﾞｰｼﾞｮﾝ情報$'
    e2e_check "... and OPTION stays open" dialog_open
else
    e2e_fail "the version button opened no \"ﾊﾞｰｼﾞｮﾝ情報\" window"
fi

# ================================================================== choosing with OK, and without
e2e_click_at "$DLG" "$PT_ZU"
e2e_click_at "$DLG" "$PT_OK"
e2e_check "OK closes the dialog" e2e_wait_until 3 e2e_not dialog_open
e2e_check "after OK the character is ズウ (blue)" e2e_wait_until 3 character_is "$win" blue zu
e2e_keep "$E2E_TMP/shots/zu.png" zu
for line in charano=1 check1value=0 check2value=1; do
    e2e_check "the settings file holds $line" grep -qx "$line" "$conf"
done
saved=$(md5sum <"$conf")

open_options "$win"
e2e_click_at "$DLG" "$PT_TAVRICK"
e2e_key Escape
e2e_check "Escape closes the dialog" e2e_wait_until 3 e2e_not dialog_open
open_options "$win"
e2e_click_at "$DLG" "$PT_PIRO"
wmctrl -ic "$(printf '0x%x' "$DLG")"
e2e_check "the close box closes the dialog" e2e_wait_until 3 e2e_not dialog_open
e2e_expect_eq "without OK the settings file is unchanged" "$saved" "$(md5sum <"$conf")"
e2e_check "without OK the character stays ズウ" character_is "$win" blue zu-kept
e2e_kill_app

e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear after a restart"
e2e_check "after a restart the character is ズウ" e2e_wait_until 3 character_is "$win" blue zu-restart
e2e_kill_app

# ================================================================== a damaged settings file
printf '[setting]\ncharano=abc\ncheck1value=0\ncheck2value=1\n' >"$conf"
saved=$(md5sum <"$conf")
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the main window did not appear with a damaged settings file"
if box=$(e2e_wait_window 5 e2e_find_app_window '^Lumiroka$' DIALOG); then
    e2e_pass "a damaged setting is reported in a message window"
    e2e_check "the message is in front of the main window, not partly behind it" e2e_wait_until 2 e2e_above "$box" "$win" ||
        { e2e_screenshot root "$E2E_TMP/shots/behind.png" && e2e_keep "$E2E_TMP/shots/behind.png" damaged-behind; }
    e2e_activate "$box" # for a clear picture of it
    sleep 0.3 # painted
    e2e_screenshot "$box" "$E2E_TMP/shots/damaged.png" && e2e_keep "$E2E_TMP/shots/damaged.png" damaged
    e2e_key Return
    e2e_check "Return closes the message" e2e_wait_until 3 e2e_not e2e_find_app_window '^Lumiroka$' DIALOG
else
    e2e_fail "a damaged setting: no message window"
fi
e2e_check "with the damaged value the character is ピロ" character_is "$win" orange piro-default
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the program" e2e_wait_app_exit 3
e2e_expect_eq "the damaged settings file is left as it was" "$saved" "$(md5sum <"$conf")"

e2e_finish
