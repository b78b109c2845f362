#!/usr/bin/env bash
# Builds the GIF reader's fuzz target with clang's libFuzzer, AddressSanitizer and UBSan, and
# runs it for a bounded time from the committed seeds (tests/gif/corpus).
#   fuzz.sh <clang++> <work folder> [seconds, default 60]
# New inputs it finds go to <work folder>/corpus, a failing one to <work folder>/crash-*;
# add a failing input to tests/gif/corpus once the reader is mended, so every build replays it.
set -euo pipefail
clangxx=$1
work=$2
seconds=${3:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
mkdir -p "$work/corpus"
"$clangxx" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" "$root/src/gif/gif.cpp" "$root/tests/gif/fuzz_gif.cpp" -o "$work/fuzz_gif"
cd "$work"
# No single allocation may pass 32 MB: the budget keeps the largest (a 1024 x 1024 frame
# scaled to 150 %) under 10 MB. Ten seconds per input is a hang.
exec ./fuzz_gif -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=32 -rss_limit_mb=1024 -max_len=65536 \
    -print_final_stats=1 corpus "$root/tests/gif/corpus"
