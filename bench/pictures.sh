#!/usr/bin/env bash
# What pictures cost: peak memory (VmHWM, /usr/bin/time) of a process that loads eight
# pictures into the eight pose slots as each front end does, for the real poses and for
# oversized files (a 1x1 picture on a 4096- or 5792-pixel screen: 35 bytes each, and on a
# 1024-pixel one, the largest screen still shown); and the time to load the eight poses, with
# our reader and with Qt's QImageReader (which loads Qt's GIF plugin on first use).
#
#   bench/pictures.sh [--runs N] [--no-build]     (BENCH_BUILD_DIR, default <repo>/build-bench)
#
# Figures in docs/performance.md.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BENCH_BUILD_DIR:-$ROOT/build-bench}
RUNS=11
DO_BUILD=1
while (($#)); do
    case $1 in
    --runs) RUNS=$2; shift ;;
    --no-build) DO_BUILD=0 ;;
    *) echo "pictures.sh: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done
if ((DO_BUILD)); then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DLUMIROKA_TESTS=OFF -DLUMIROKA_BENCH=ON >/dev/null
    cmake --build "$BUILD" -j2 --target bench_picture_probe >/dev/null
fi
PROBE=$BUILD/bench/bench_picture_probe
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
"$PROBE" bombs "$TMP"

poses=("$ROOT"/assets/gif/piro{0,1a,1b,1c,2,3,4,5}.gif)
eight() { local i; for ((i = 0; i < 8; i++)); do printf '%s\n' "$1"; done; }
mapfile -t b4096 < <(eight "$TMP/screen-4096.gif")
mapfile -t b5792 < <(eight "$TMP/screen-5792.gif")
mapfile -t b1024 < <(eight "$TMP/screen-1024.gif")

# peak MODE FILE...: "hwm_kib loaded refused"
peak() {
    local out
    out=$(/usr/bin/time -f 'HWM %M' "$PROBE" "$@" 2>&1)
    printf '%s %s %s\n' "$(sed -n 's/^HWM //p' <<<"$out")" \
        "$(sed -n 's/.*loaded=\([0-9]*\).*/\1/p' <<<"$out")" "$(sed -n 's/.*refused=\([0-9]*\).*/\1/p' <<<"$out")"
}

# KiB to MiB, and the difference to a base in KiB
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
above() { awk -v k="$1" -v b="$2" 'BEGIN { printf "%+.1f", (k - b) / 1024 }'; }

printf '\nPeak memory, eight slots (MiB; above the eight real poses in brackets)\n'
printf '%-32s %8s %22s %22s %22s\n' "loader" "8 poses" "8 x screen 4096" "8 x screen 5792" "8 x screen 1024"
for mode in qt win32; do
    read -r base _ _ < <(peak "$mode" "${poses[@]}")
    row=$(mib "$base")
    cells=()
    for set in b4096 b5792 b1024; do
        declare -n files=$set
        read -r hwm loaded refused < <(peak "$mode" "${files[@]}")
        cells+=("$(mib "$hwm") ($(above "$hwm" "$base")) $([ "$refused" = 8 ] && echo refused || echo shown)")
    done
    label=$([ "$mode" = qt ] && echo "Qt front end (src/gif)" || echo "Windows path (src/gif, 200 %)")
    printf '%-32s %8s %22s %22s %22s\n' "$label" "$row" "${cells[@]}"
done
read -r base _ _ < <(peak qtreader "${poses[@]}")
read -r one _ _ < <(peak qtreader "$TMP/screen-5792.gif")
read -r pose _ _ < <(peak qtreader "${poses[0]}")
printf '%-32s %8s   one 5792 file: %s (%s over one pose)\n' "QImageReader (earlier Qt loader)" \
    "$(mib "$base")" "$(mib "$one")" "$(above "$one" "$pose")"

# median of the load times of RUNS fresh processes
median_load() {
    local i
    for ((i = 0; i < RUNS; i++)); do
        "$PROBE" "$@" 2>/dev/null | sed -n 's/.*load_us=\([0-9]*\).*/\1/p'
    done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
printf '\nLoading the eight poses in a fresh process (median of %d, microseconds)\n' "$RUNS"
printf '%-32s %8s\n' "Qt front end (src/gif)" "$(median_load qt "${poses[@]}")"
printf '%-32s %8s\n' "QImageReader + GIF plugin" "$(median_load qtreader "${poses[@]}")"
