#!/usr/bin/env bash
# shellcheck disable=SC2119,SC2317 # e2e_launch_app takes optional arguments; helpers run through e2e_check
# The installed tree: `cmake --install` of the build directory of the given binary into
# a temporary prefix, then the installed program run from there, with no pictures beside
# it, finds them under <prefix>/share/lumiroka; the launcher entry, the software-centre
# metadata and the themed icons are installed and valid.
#
# usage: test_install.sh /path/to/build/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
for tool in cmake desktop-file-validate appstreamcli identify; do
    command -v "$tool" >/dev/null || e2e_die "missing tool: $tool"
done

prefix="$E2E_TMP/prefix"
share="$prefix/share"
cmake --install "$(dirname "$E2E_BIN")" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    { cat "$E2E_TMP/install.log" >&2; e2e_die "cmake --install failed"; }
e2e_check "the program is installed in bin/" test -x "$prefix/bin/lumiroka"
e2e_check "nothing but the program in bin/ (no pictures beside it)" \
    test "$(ls -A "$prefix/bin")" == lumiroka
e2e_expect_eq "pictures installed in share/lumiroka/gif" 21 "$(find "$share/lumiroka/gif" -name '*.gif' | wc -l)"
e2e_check "the alarm sound installed in share/lumiroka" test -s "$share/lumiroka/justtime.wav"

# ------------------------------------------------------------------ desktop integration
desktop="$share/applications/org.lumiroka.Lumiroka.desktop"
metainfo="$share/metainfo/org.lumiroka.Lumiroka.metainfo.xml"
e2e_check "the launcher entry passes desktop-file-validate" desktop-file-validate "$desktop"
e2e_check "the launcher entry starts lumiroka" grep -qx 'Exec=lumiroka' "$desktop"
e2e_check "the launcher entry names the installed icon" grep -qx 'Icon=org.lumiroka.Lumiroka' "$desktop"
appstream_ok() { appstreamcli validate --no-net "$metainfo" >"$E2E_TMP/appstream.log" 2>&1; }
e2e_check "the metadata passes appstreamcli validate" appstream_ok || cat "$E2E_TMP/appstream.log" >&2
e2e_check "the metadata launches the installed entry" \
    grep -q '<launchable type="desktop-id">org.lumiroka.Lumiroka.desktop</launchable>' "$metainfo"
for size in 16 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/org.lumiroka.Lumiroka.png"
    e2e_expect_eq "hicolor icon ${size}x${size}" "PNG ${size}x${size}" "$(identify -format '%m %wx%h' "$png" 2>&1)"
done
e2e_check "scalable hicolor icon" grep -q '<svg' "$share/icons/hicolor/scalable/apps/org.lumiroka.Lumiroka.svg"

# ------------------------------------------------------------------ the installed program
# orange_character WIN TAG: the picture area shows ピロ, the character at start.
orange_character() {
    local shot
    shot=$(e2e_shot_area_stable "$1" "$E2E_AREA_CHARACTER" "$2") || return 1
    (($(e2e_count_color "$shot" orange) >= 1000))
}
warning_shown() { e2e_find_app_window '^Lumiroka$' DIALOG >/dev/null; }

e2e_start_session
E2E_BIN="$prefix/bin/lumiroka"
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the installed program showed no main window"
e2e_expect_eq "the running program is the installed one" "$E2E_BIN" "$(readlink "/proc/$APP_PID/exe")"
e2e_check "the installed program shows its character" e2e_wait_until 3 orange_character "$win" installed
e2e_keep "$E2E_TMP/shots/installed.png" character
e2e_check "no warning about pictures" e2e_not e2e_wait_until 1.5 warning_shown
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the installed program" e2e_wait_app_exit 3

# The same check fails when the pictures are not where the program looks.
mv "$share/lumiroka/gif" "$share/lumiroka/gif.away"
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the installed program showed no main window (pictures moved away)"
e2e_check "pictures moved away: a warning appears" e2e_wait_until 5 warning_shown
e2e_check "pictures moved away: no character" e2e_not orange_character "$win" blank
e2e_kill_app

e2e_finish
