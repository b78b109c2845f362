#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, set up on first use.
#   wine-run.sh PROGRAM.exe [ARGS...]
# The prefix is $LUMIROKA_WINEPREFIX, else wineprefix/ in the program's build tree (the
# directory holding CMakeCache.txt above the program), so the user's own ~/.wine is never
# touched. Wine's exit code is the program's.
#
# Wine starts its server and services in the background when the first program runs;
# they inherit that program's stdout and stderr, and a caller that waits for those pipes
# to close (ctest, $(...)) would wait until the server exits. So they are started here
# with their output sent elsewhere, and the server is kept alive (-p) for the next
# programs; `wineserver -k` with the same WINEPREFIX stops it.
set -euo pipefail

prefix=${LUMIROKA_WINEPREFIX:-}
if [ -z "$prefix" ]; then
    dir=$(cd "$(dirname "$1")" && pwd)
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    if [ "$dir" = / ]; then
        echo "wine-run.sh: $1 is not in a build tree; set LUMIROKA_WINEPREFIX" >&2
        exit 2
    fi
    prefix=$dir/wineprefix
fi
export WINEPREFIX=$prefix
# Wine links the prefix's documents folders into HOME; keep them out of the real one.
export HOME=$WINEPREFIX/home
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs, no menu entries or file associations on the host.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

mkdir -p "$WINEPREFIX" "$HOME"
(
    # One set-up at a time when ctest starts several programs at once.
    flock 9
    if [ ! -f "$WINEPREFIX/.lumiroka-ready" ]; then
        wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
        wine wineboot --init </dev/null >/dev/null 2>&1 9>&-
        # A crashing program ends with its exit code instead of waiting in a dialog, and
        # the Japanese faces the program asks for are the IPA fonts. regedit reads the
        # file as UTF-16, which keeps the names intact whatever the host's locale.
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
            '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
            '"MS UI Gothic"="IPAPGothic"' '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' \
            '"ＭＳ ゴシック"="IPAGothic"' '"MS Gothic"="IPAGothic"' |
            { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$WINEPREFIX/lumiroka-setup.reg"
        wine regedit /S "$(winepath -w "$WINEPREFIX/lumiroka-setup.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 9>&-
        touch "$WINEPREFIX/.lumiroka-ready"
    fi
    # A server started here is a fresh one (an exit code of 2 means one is running): its
    # services are then started too, once, away from the caller's pipes. A second start of
    # them in a running prefix would leave two service managers, and Wine's COM (which
    # a window loads when it is first activated) then waits ten seconds for a service that
    # never comes.
    if wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
        wine wineboot </dev/null >/dev/null 2>&1 9>&-
    fi
) 9>"$WINEPREFIX/.lock"

exec wine "$@"
