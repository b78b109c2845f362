#!/usr/bin/env bash
# shellcheck disable=SC2317,SC2016 # helpers run through e2e_check; eval of quoted tests
# The Windows artefacts: the portable zip holds the program, its 21 pictures and the chime;
# the NSIS installer, silent (/S), puts them into Program Files with a Start-menu entry
# and an entry among the installed programs, and its uninstaller, silent too, takes all
# of it away again. Run in the build tree's Wine prefix; no window system needed.
#
# usage: test_win_installer.sh PORTABLE.zip SETUP.exe
set -u
# shellcheck source=winlib.sh
source "$(dirname "$0")/winlib.sh"
zip=${1:-}
setup=${2:-}
[[ -f "$zip" && -f "$setup" ]] || { echo "usage: $0 PORTABLE.zip SETUP.exe" >&2; exit 2; }
e2e_init /bin/true # no program to start here: the clean-up and the checks are what is used
win_restart_prefix
e2e_at_exit win_restart_prefix

listing=$(unzip -Z1 "$zip")
e2e_expect_eq "the zip holds the 21 pictures" 21 "$(grep -c '/gif/[a-z0-9]*\.gif$' <<<"$listing")"
e2e_check "the zip holds lumiroka.exe and justtime.wav" \
    eval 'grep -q "/lumiroka.exe$" <<<"$listing" && grep -q "/justtime.wav$" <<<"$listing"'
e2e_expect_eq "everything in one folder" 1 "$(cut -d/ -f1 <<<"$listing" | sort -u | wc -l)"

program="$LUMIROKA_WINEPREFIX/drive_c/Program Files/Lumiroka"
shortcut="$LUMIROKA_WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumiroka.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumiroka'
registered() { wine_quiet reg query "$uninstall_key" /v DisplayVersion; }
installed() { [[ -f "$program/lumiroka.exe" ]]; }

rm -rf "$program"
wine_quiet "$setup" /S
e2e_check "install: lumiroka.exe in Program Files" e2e_wait_until 20 installed
e2e_expect_eq "install: the 21 pictures" 21 "$(find "$program/gif" -name '*.gif' | wc -l)"
e2e_check "install: the chime and the uninstaller" eval '[[ -f "$program/justtime.wav" && -f "$program/uninstall.exe" ]]'
e2e_check "install: the same program as in the zip" cmp -s "$program/lumiroka.exe" \
    <(unzip -p "$zip" "$(grep '/lumiroka.exe$' <<<"$listing")")
e2e_check "install: a Start-menu entry" test -f "$shortcut"
e2e_check "install: listed among the installed programs" registered

# The uninstaller copies itself away and returns at once; the removal follows.
wine_quiet "$program/uninstall.exe" /S
e2e_check "uninstall: the folder is gone" e2e_wait_until 20 e2e_not test -e "$program"
e2e_check "uninstall: the Start-menu entry is gone" e2e_not test -e "$shortcut"
e2e_check "uninstall: no longer listed" e2e_not registered
e2e_finish
