# shellcheck shell=bash disable=SC2034
# (SC2034: MENU is for the scripts that source this file.)
# The end-to-end helpers of ../lib.sh for the Windows program under Wine: the same
# session (Xvfb, openbox, trayer) and checks, with the program started through Wine, its
# settings in the registry of the build tree's Wine prefix and its tray icon docked by
# Wine's explorer.
#
#   source "$(dirname "$0")/winlib.sh"
#   e2e_init "$1"    # path of lumiroka.exe; LUMIROKA_WINE_RUN (cmake/wine-run.sh) and
#                    # LUMIROKA_WINEPREFIX come from ctest
#
# Each launch logs the libraries the program loads (Wine's loaddll trace), for win_loaded.

# shellcheck source=../lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

WIN_RUN=${LUMIROKA_WINE_RUN:?LUMIROKA_WINE_RUN: the path of cmake/wine-run.sh}
: "${LUMIROKA_TRAY_NOTIFY:?LUMIROKA_TRAY_NOTIFY: the path of lumiroka_tray_notify.exe}"
: "${LUMIROKA_WINEPREFIX:?LUMIROKA_WINEPREFIX: the Wine prefix of the build tree}"
export LUMIROKA_WINEPREFIX
readonly WIN_KEY='HKCU\Software\Lumiroka'
readonly WIN_SETTING_KEY='HKCU\Software\Lumiroka\Lumiroka\setting'

# A host path as Windows programs under Wine see it (drive Z: is the host's root).
win_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Wine's desktop process, which also hosts the tray, stays with the X server it first
# met; each script's session gets a fresh set of the prefix's processes, ended again at
# its exit.
win_restart_prefix() { WINEPREFIX=$LUMIROKA_WINEPREFIX wineserver -k 2>/dev/null || true; }
eval "$(declare -f e2e_start_session | sed '1s/e2e_start_session/e2e_start_x_session/')"
e2e_start_session() {
    win_restart_prefix
    e2e_at_exit win_restart_prefix
    e2e_start_x_session
}

# wine_quiet PROGRAM ARGS...: a Windows tool of the prefix (reg, regedit), its output
# kept out of the caller's pipes.
wine_quiet() { "$WIN_RUN" "$@" </dev/null >/dev/null 2>&1; }

# win_import_reg LINE...: imports registry lines ("[key]", "\"name\"=\"value\"") as a .reg
# file, UTF-16 so that no text depends on the host's locale.
win_import_reg() {
    local file
    file="$E2E_TMP/import.$(date +%s%N).reg"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' "$@" |
        { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$file"
    wine_quiet regedit /S "$(win_path "$file")"
}

# No settings at all: the next start uses the defaults.
win_clear_settings() { wine_quiet reg delete "$WIN_KEY" /f || true; }

# e2e_write_settings CHARANO CHECK1 CHECK2: the three values as the program stores them.
e2e_write_settings() {
    win_clear_settings
    win_import_reg '[HKEY_CURRENT_USER\Software\Lumiroka\Lumiroka\setting]' \
        "\"charano\"=\"$1\"" "\"check1value\"=\"$2\"" "\"check2value\"=\"$3\""
}

# Prints the stored settings as name=value lines, sorted ("" when the key is missing):
# reg export, then UTF-16 to UTF-8 (reg query would mangle non-ASCII text).
win_read_settings() {
    local file="$E2E_TMP/export.reg"
    rm -f "$file"
    wine_quiet reg export "$WIN_SETTING_KEY" "$(win_path "$file")" /y
    [[ -f "$file" ]] || return 0
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed -n 's/^"\(.*\)"="\(.*\)"$/\1=\2/p' | sort
}

# e2e_launch_app [EXE]: starts the program (or another copy of it) under Wine.
e2e_launch_app() {
    APP_LOG="$E2E_TMP/app.$(date +%s%N).log"
    WINEDEBUG=trace+loaddll "$WIN_RUN" "${1:-$E2E_BIN}" >"$APP_LOG" 2>&1 &
    APP_PID=$!
    e2e_track "$APP_PID"
    e2e_log "started lumiroka.exe under Wine (pid $APP_PID)"
}

e2e_dump_app_log() {
    if [[ -n "$APP_LOG" && -s "$APP_LOG" ]]; then
        echo "---- program output ($APP_LOG, traces left out) ----" >&2
        grep -v ':trace:' "$APP_LOG" | tail -n 40 >&2
        echo "----" >&2
    fi
}

# win_loaded DLL: the program has loaded that library (Wine's loaddll trace).
win_loaded() { grep -qi "loaddll.*$1" "$APP_LOG" 2>/dev/null; }

# Wine's explorer docks the icon in trayer's panel as a window of its own.
e2e_find_tray_icon() {
    local panel hex
    panel=$(e2e_tray_panel) || return 1
    hex=$(xwininfo -tree -id "$panel" 2>/dev/null | awk '/\("explorer.exe" "explorer.exe"\)/ { print $1; exit }')
    [[ -n "$hex" ]] && echo $((hex))
}

win_has_icon() { local icon; icon=$(e2e_find_tray_icon) && e2e_is_viewable "$icon"; }

# win_icon_shot PATH: the docked icon as it is on screen; true when the stopwatch's pink
# shows in it. Wine's tray draws, and takes clicks, a moment after the icon docks.
win_icon_shot() {
    local icon px py
    icon=$(e2e_find_tray_icon) || return 1
    read -r px py <<<"$(e2e_window_pos "$icon")" || return 1
    e2e_screenshot root "$E2E_TMP/shots/screen.png" || return 1
    e2e_crop "$E2E_TMP/shots/screen.png" "$(e2e_window_size "$icon")+$px+$py" "$1" || return 1
    (($(e2e_count_color "$1" pink) >= 20))
}
win_has_menu() { e2e_find_menu >/dev/null; }

# win_tray_release BUTTON: releases a button (1 left, 3 right) over the docked icon; sets
# MENU to the menu that opens. Wine 8's tray, docked in an X server where it is the first
# to dock, often stays blank and passes no click on (in a long-running session it does);
# then the notification the shell would send on that click goes to the window instead,
# and the log says so.
win_tray_release() {
    e2e_click_tray_icon "$1"
    MENU=$(e2e_wait_window 3 e2e_find_menu) && return 0
    e2e_log "the docked icon passed no click on; sending the notification of button $1 instead"
    wine_quiet "$LUMIROKA_TRAY_NOTIFY" $(( $1 == 1 ? 514 : 517 ))
    MENU=$(e2e_wait_window 4 e2e_find_menu)
}

# A window of the program other than the main one whose title matches (a message box,
# the options dialog): viewable, with a different size.
win_find_window() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$APP_PID" --name "$1" 2>/dev/null); do
        [[ "$(e2e_window_size "$id")" == "${E2E_MAIN_W}x${E2E_MAIN_H}" ]] && continue
        echo "$id"
        return 0
    done
    return 1
}

