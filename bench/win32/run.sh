#!/usr/bin/env bash
# Benchmarks of the Windows program under Wine, side by side in one run with an empty
# Win32 window of the same client size (reference_window.cpp) built alongside:
#   start-up   CreateProcess until the window is on screen and idle (first paint done)
#   memory     private memory (Linux's Private_Clean + Private_Dirty) a second later
#   idle CPU   share of one core over 20 s with the count running and the character
#              animating, of the Wine process and of the wineserver (Wine's own part)
#              as Linux counts them (Wine reports no process times to the probe)
#   size       the stripped, static lumiroka.exe of scripts/windows-dist
# Targets: start-up and memory within 1.2x of the empty window, exe under 400 KB, idle
# under 0.3% of a core.
#   LUMIROKA_BENCH_RUNS=N (default 11) start-ups of each, alternating; medians are shown.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${LUMIROKA_BENCH_RUNS:-11}
idle_s=${LUMIROKA_BENCH_IDLE_S:-20}

scripts/windows-dist >/dev/null
exe=$(ls build-win-release/dist/lumiroka-*-win64/lumiroka.exe)
out=build-win-bench
mkdir -p "$out"
cxx=x86_64-w64-mingw32-g++-posix
flags=(-std=c++20 -Os -s -static -municode -DUNICODE -D_UNICODE -Wall -Wextra)
"$cxx" "${flags[@]}" -mwindows bench/win32/reference_window.cpp -o "$out/reference.exe"
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
# Private memory of the newest process running NAME (KB), as Linux counts it.
private_kb() {
    local pid
    pid=$(pgrep -n -f "$1") || { echo 0; return; }
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
ticks=$(getconf CLK_TCK)
jiffies() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# idle NAME WINPATH: share of one core (%) the Wine process of NAME and the wineserver take
# over the idle window; prints "program server".
idle() {
    probe idle "$2" "$idle_s" >/dev/null &
    local pid=$! server app a0 s0 t0 a1 s1 t1
    sleep 4
    app=$(pgrep -n -f "$1.exe")
    server=$(pgrep -n -f wineserver)
    a0=$(jiffies "$app") s0=$(jiffies "$server") t0=$(date +%s%N)
    sleep $((idle_s - 5))
    a1=$(jiffies "$app") s1=$(jiffies "$server") t1=$(date +%s%N)
    wait "$pid"
    awk -v a=$((a1 - a0)) -v s=$((s1 - s0)) -v hz="$ticks" -v ns=$((t1 - t0)) \
        'BEGIN { printf "%.3f %.3f", 100 * a / hz / (ns / 1e9), 100 * s / hz / (ns / 1e9) }'
}

cp "$exe" "$out/lumiroka.exe"
cp -r "$(dirname "$exe")/gif" "$(dirname "$exe")/justtime.wav" "$out/"
ref=$(winpath "$PWD/$out/reference.exe")
app=$(winpath "$PWD/$out/lumiroka.exe")
startup reference "$ref"
startup lumiroka "$app" # warm the caches
: >"$out/reference.txt"
: >"$out/lumiroka.txt"
for ((i = 0; i < runs; i++)); do
    startup reference "$ref"
    startup lumiroka "$app"
done
ref_ms=$(cut -d' ' -f1 "$out/reference.txt" | median)
app_ms=$(cut -d' ' -f1 "$out/lumiroka.txt" | median)
ref_kb=$(cut -d' ' -f2 "$out/reference.txt" | median)
app_kb=$(cut -d' ' -f2 "$out/lumiroka.txt" | median)
read -r app_idle app_server <<<"$(idle lumiroka "$app")"
read -r ref_idle ref_server <<<"$(idle reference "$ref")"

size=$(stat -c %s "$exe")
printf '\nLumiroka for Windows under Wine (%s start-ups each, medians)\n\n' "$runs"
printf '| measure | lumiroka.exe | empty window | ratio | target |\n|---|---|---|---|---|\n'
awk -v a="$app_ms" -v r="$ref_ms" 'BEGIN { printf "| start-up to first paint | %.1f ms | %.1f ms | %.2fx | 1.2x |\n", a, r, a / r }'
awk -v a="$app_kb" -v r="$ref_kb" 'BEGIN { printf "| private memory | %d KB | %d KB | %.2fx | 1.2x |\n", a, r, a / r }'
printf '| idle CPU, count running, animating | %s %% | %s %% | | < 0.3 %% |\n' "$app_idle" "$ref_idle"
printf '| wineserver meanwhile | %s %% | %s %% | | |\n' "$app_server" "$ref_server"
printf '| exe size, static, stripped | %d KB (%d bytes) | | | < 400 KB |\n' $((size / 1024)) "$size"
