#!/usr/bin/env bash
# Takes the README's screenshot: the program from a build tree, under a private Xvfb with
# openbox, after a few seconds of a running count.
#   tools/screenshot.sh [build dir] [output png] [scale factor]
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshot.png}
scale=${3:-1}
display=:$((70 + RANDOM % 20))
home=$(mktemp -d)
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$home"; }
pids=()
trap cleanup EXIT

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
export DISPLAY=$display HOME=$home XDG_CONFIG_HOME=$home/.config
openbox >/dev/null 2>&1 & pids+=($!)
sleep 0.5
QT_SCALE_FACTOR=$scale "$build/lumiroka" >/dev/null 2>&1 & pids+=($!)
win=$(xdotool search --sync --onlyvisible --name '^Lumiroka$' | head -n 1)
sleep 1
# START・STOP, then let it count.
xdotool mousemove --window "$win" $((168 * scale)) $((61 * scale)) click 1
sleep 3.3
xdotool mousemove 5 5
frame=$(xwininfo -id "$win" -children | awk '/Parent window id/ {print $4}')
[ -n "$frame" ] && [ "$frame" != "$(xwininfo -root | awk '/Window id/ {print $4}')" ] || frame=$win
mkdir -p "$(dirname "$out")"
import -window "$frame" "$out"
echo "wrote $out ($(identify -format '%wx%h' "$out"))"
