#!/usr/bin/env bash
# Benchmarks of the Windows program under Wine, side by side in one run with an empty
# Win32 window of the same client size (reference_window.cpp) built alongside:
#   start-up   CreateProcess until the window is on screen and idle (first paint done); the
#              empty window with one text button is measured too, for information
#   memory     private memory (Linux's Private_Clean + Private_Dirty) a second later
#   idle CPU   share of one core over 35 s with the count running and the character
#              animating, of the Wine process and of the wineserver (Wine's own part)
#              as Linux's scheduler counts them (Wine reports no process times to the probe)
#   size       the stripped, static lumiroka.exe of scripts/windows-dist
# Targets: start-up and memory within 1.2x of the empty window, exe under 400 KB, idle
# under 0.3% of a core.
#   LUMIROKA_BENCH_RUNS=N (default 21) start-ups of each, alternating; medians are shown.
#   LUMIROKA_BENCH_IDLE_S=N (default 40) seconds of each idle run, the first 5 not counted.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${LUMIROKA_BENCH_RUNS:-21}
idle_s=${LUMIROKA_BENCH_IDLE_S:-40}

scripts/windows-dist >/dev/null
exe=$(ls build-win-release/dist/lumiroka-*-win64/lumiroka.exe)
out=build-win-bench
mkdir -p "$out"
cxx=x86_64-w64-mingw32-g++-posix
flags=(-std=c++20 -Os -s -static -municode -DUNICODE -D_UNICODE -Wall -Wextra)
"$cxx" "${flags[@]}" -mwindows bench/win32/reference_window.cpp -o "$out/reference.exe"
"$cxx" "${flags[@]}" -DLUMIROKA_REFERENCE_TEXT -mwindows bench/win32/reference_window.cpp -o "$out/reftext.exe"
"$cxx" "${flags[@]}" bench/win32/probe.cpp -o "$out/probe.exe"

export LUMIROKA_WINEPREFIX=$PWD/$out/wineprefix
run=cmake/wine-run.sh
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    WINEPREFIX=$LUMIROKA_WINEPREFIX wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
for ((n = 150; n < 250; n++)); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break
done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 50); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1

probe() { "$run" "$out/probe.exe" "$@" 2>/dev/null; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
# The newest running process matching PATTERN: ended ones (zombies) count no more time.
live_pid() {
    local pid
    for pid in $(pgrep -f "$1"); do
        [[ $(awk '{ print $3 }' "/proc/$pid/stat" 2>/dev/null) =~ ^[RSD]$ ]] && echo "$pid"
    done | sort -n | tail -n 1
}
# The wineserver of this run's prefix (servers of other prefixes may be running). A server
# works in a directory named server-DEV-INODE after its prefix's device and inode.
prefix_server() {
    local dev ino dir pid
    read -r dev ino <<<"$(stat -c '%D %i' "$LUMIROKA_WINEPREFIX")"
    dir=$(printf 'server-%x-%x' "0x$dev" "$ino")
    for pid in $(pgrep wineserver); do
        if [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$dir" ]]; then echo "$pid"; fi
    done | tail -n 1
}
# Private memory of the newest running process NAME (KB), as Linux counts it.
private_kb() {
    local pid
    pid=$(live_pid "$1")
    [[ -n "$pid" ]] || { echo 0; return; }
    awk '/^Private_(Clean|Dirty):/ { kb += $2 } END { print kb + 0 }' "/proc/$pid/smaps_rollup"
}
# startup NAME WINPATH: one start-up; appends "ms kb" to $out/NAME.txt.
startup() {
    local line="$out/$1.line"
    : >"$line"
    probe startup "$2" >"$line" &
    local pid=$!
    while [[ ! -s "$line" ]] && kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
    sleep 1 # settled
    echo "$(head -n1 "$line" | tr -d '\r') $(private_kb "$1.exe")" >>"$out/$1.txt"
    wait "$pid"
}
# CPU time in nanoseconds of all threads of a process: the scheduler's own count, exact where
# /proc/PID/stat counts in ticks of 10 ms (0.07 % of a core over 15 s). Printed as a float:
# mawk's %d stops at 2^31 ns, 2.1 s, which a long-running wineserver has long passed.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%.0f", ns }'; }
# idle NAME WINPATH: share of one core (%) the Wine process of NAME and the wineserver take
# over the idle window; prints "program server".
idle() {
    probe idle "$2" "$idle_s" >/dev/null &
    local pid=$! server app a0 s0 t0 a1 s1 t1
    sleep 4
    app=$(live_pid "$1.exe")
    server=$(prefix_server)
    [[ -n "$server" ]] || echo "bench: no wineserver of $LUMIROKA_WINEPREFIX found: $(pgrep -a wineserver | tr '\n' ' ')" >&2
    a0=$(cpu_ns "$app") s0=$(cpu_ns "$server") t0=$(date +%s%N)
    sleep $((idle_s - 5))
    a1=$(cpu_ns "$app") s1=$(cpu_ns "$server") t1=$(date +%s%N)
    wait "$pid"
    awk -v a=$((a1 - a0)) -v s=$((s1 - s0)) -v ns=$((t1 - t0)) \
        'BEGIN { printf "%.3f %.3f", 100 * a / ns, 100 * s / ns }'
}

cp "$exe" "$out/lumiroka.exe"
cp -r "$(dirname "$exe")/gif" "$(dirname "$exe")/justtime.wav" "$out/"
ref=$(winpath "$PWD/$out/reference.exe")
reftext=$(winpath "$PWD/$out/reftext.exe")
app=$(winpath "$PWD/$out/lumiroka.exe")
# One start of each warms the caches and is not counted; then all three take turns.
startups() { startup reference "$ref" && startup lumiroka "$app" && startup reftext "$reftext"; }
startups
: >"$out/reference.txt"
: >"$out/lumiroka.txt"
: >"$out/reftext.txt"
for ((i = 0; i < runs; i++)); do startups; done
# median_of NAME FIELD: the median of one column (1 ms, 2 KB) of NAME's start-ups.
median_of() { cut -d' ' -f"$2" "$out/$1.txt" | median; }
ref_ms=$(median_of reference 1) ref_kb=$(median_of reference 2)
app_ms=$(median_of lumiroka 1) app_kb=$(median_of lumiroka 2)
text_ms=$(median_of reftext 1) text_kb=$(median_of reftext 2)
read -r app_idle app_server <<<"$(idle lumiroka "$app")"
read -r ref_idle ref_server <<<"$(idle reference "$ref")"

size=$(stat -c %s "$exe")
printf '\nLumiroka for Windows under Wine (%s start-ups each, medians)\n\n' "$runs"
printf '| measure | lumiroka.exe | empty window | ratio | target |\n|---|---|---|---|---|\n'
awk -v a="$app_ms" -v r="$ref_ms" 'BEGIN { printf "| start-up to first paint | %.1f ms | %.1f ms | %.2fx | 1.2x |\n", a, r, a / r }'
awk -v a="$app_kb" -v r="$ref_kb" 'BEGIN { printf "| private memory | %d KB | %d KB | %.2fx | 1.2x |\n", a, r, a / r }'
awk -v a="$app_ms" -v t="$text_ms" -v ak="$app_kb" -v tk="$text_kb" 'BEGIN { printf "| start-up and memory of the empty window with one text button | | %.1f ms, %d KB | lumiroka.exe / this: %.2fx, %.2fx | - |\n", t, tk, a / t, ak / tk }'
printf '| idle CPU, count running, animating | %s %% | %s %% | | < 0.3 %% |\n' "$app_idle" "$ref_idle"
printf '| wineserver meanwhile | %s %% | %s %% | | |\n' "$app_server" "$ref_server"
printf '| exe size, static, stripped | %d KB (%d bytes) | | | < 400 KB |\n' $((size / 1024)) "$size"
