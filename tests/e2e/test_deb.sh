#!/usr/bin/env bash
# shellcheck disable=SC2119,SC2317 # e2e_launch_app takes optional arguments; helpers run through e2e_check
# The Debian package: `cpack -G DEB` in the build directory of the given binary, its
# dependencies, installing it with apt-get, the installed program (version, window and
# character), and removing it again. Needs root and a machine where lumiroka is not
# installed; anywhere else it prints "skipped". The package is removed at exit whatever
# happens.
#
# usage: test_deb.sh /path/to/build/lumiroka
set -u
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

pkg_installed() { dpkg-query -W -f='${Status}' lumiroka 2>/dev/null | grep -q 'ok installed'; }
if [[ "$(id -u)" != 0 ]] || pkg_installed; then
    echo "skipped: needs root and lumiroka not installed"
    exit 0
fi
e2e_init "${1:-}"
for tool in cpack dpkg-deb apt-get; do
    command -v "$tool" >/dev/null || e2e_die "missing tool: $tool"
done
export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -y -qq -o DPkg::Lock::Timeout=30 "$@"; } # waits for another apt or dpkg to finish

out="$E2E_TMP/deb"
(cd "$(dirname "$E2E_BIN")" && cpack -G DEB -B "$out") >"$E2E_TMP/cpack.log" 2>&1 ||
    { cat "$E2E_TMP/cpack.log" >&2; e2e_die "cpack -G DEB failed"; }
debs=("$out"/lumiroka_*.deb)
[[ -f "${debs[0]}" ]] || e2e_die "cpack made no lumiroka_*.deb in $out"
deb=${debs[0]}
e2e_log "built $(basename "$deb")"

# ------------------------------------------------------------------ the package's control data
e2e_expect_eq "package name" lumiroka "$(dpkg-deb -f "$deb" Package)"
e2e_expect_eq "package version" "${LUMIROKA_VERSION:?}" "$(dpkg-deb -f "$deb" Version)"
e2e_expect_eq "package architecture" "$(dpkg --print-architecture)" "$(dpkg-deb -f "$deb" Architecture)"
depends=", $(dpkg-deb -f "$deb" Depends | tr -s ' ')"
e2e_log "Depends: ${depends#, }"
for dep in libqt6widgets6 qt6-qpa-plugins libcanberra0; do
    e2e_check "depends on $dep" grep -qE "[,|] $dep( |,|$)" <<<"$depends"
done
recommends=", $(dpkg-deb -f "$deb" Recommends | tr -s ' ')"
for dep in libcanberra-pulse sound-theme-freedesktop; do
    e2e_check "recommends $dep" grep -qE "[,|] $dep( |,|$)" <<<"$recommends"
done
e2e_check "depends on a Japanese font" grep -qE '[,|] fonts-(ipafont|ipaexfont|noto-cjk|vlgothic|takao)' <<<"$depends"

# ------------------------------------------------------------------ installing
pkg_known() { dpkg-query -W lumiroka >/dev/null 2>&1; } # installed, or its configuration left
remove_pkg() { pkg_known && apt_get purge lumiroka >/dev/null 2>&1; }
e2e_at_exit remove_pkg # from here on the package is ours to remove
apt_get install --no-install-recommends "$deb" >"$E2E_TMP/apt.log" 2>&1 ||
    { cat "$E2E_TMP/apt.log" >&2; e2e_die "apt-get install of the package failed"; }
e2e_check "apt-get installed the package" pkg_installed
e2e_expect_eq "/usr/bin/lumiroka --version" "lumiroka $LUMIROKA_VERSION" "$(/usr/bin/lumiroka --version 2>&1)"

# orange_character WIN TAG: the picture area shows ピロ, the character at start.
orange_character() {
    local shot
    shot=$(e2e_shot_area_stable "$1" "$E2E_AREA_CHARACTER" "$2") || return 1
    (($(e2e_count_color "$shot" orange) >= 1000))
}
e2e_start_session
E2E_BIN=/usr/bin/lumiroka
e2e_launch_app
win=$(e2e_main_window 20) || e2e_die "the installed program showed no main window"
e2e_expect_eq "the running program is /usr/bin/lumiroka" /usr/bin/lumiroka "$(readlink "/proc/$APP_PID/exe")"
e2e_check "the installed program shows its character" e2e_wait_until 3 orange_character "$win" packaged
e2e_keep "$E2E_TMP/shots/packaged.png" character
e2e_check "no warning about pictures" e2e_not e2e_wait_until 1.5 e2e_find_app_window '^Lumiroka$' DIALOG
e2e_click_at "$win" "$E2E_PT_END"
e2e_check "END ends the installed program" e2e_wait_app_exit 3

# ------------------------------------------------------------------ removing
apt_get purge lumiroka >"$E2E_TMP/apt.log" 2>&1 || cat "$E2E_TMP/apt.log" >&2
e2e_check "apt-get purged the package" e2e_not pkg_known
for path in /usr/bin/lumiroka /usr/share/lumiroka /usr/share/applications/org.lumiroka.Lumiroka.desktop; do
    e2e_check "after removal $path is gone" test ! -e "$path"
done

e2e_finish
