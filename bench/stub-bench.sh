#!/usr/bin/env bash
# The executable output of a large wall: seconds and peak memory of makeExe for a wall of SLIDES
# and of a fifth of it (memory should not grow with the book), then the Linux stub's time from
# start to the page ready on disk: unpacking into a folder, the first run into the private folder,
# and a second run that reuses it.
# Usage: bench/stub-bench.sh [slides]   (builds into build/ first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
slides=${1:-500}
cmake --build "$build" --target exe_bench >/dev/null
bench="$build/bench/exe_bench"
stub="$build/bin/book"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen

# Wall-clock and processor seconds: on a shared machine the first depends on the others' load.
TIMEFORMAT="%R s (processor: %U s user, %S s system)"

for count in $((slides / 5)) "$slides"; do
    "$bench" wall "$scratch/wall$count/" "$count" 2>/dev/null
    echo -n "$count slides: "
    "$bench" exe "$scratch/wall$count/" "$scratch/book$count.exe" "$build/bin/book.exe" 2>/dev/null
done
exe="$scratch/book$slides.exe"

echo -n "stub --extract: "
time "$stub" --open "$exe" --extract "$scratch/extracted" >/dev/null

# The private folder, with an xdg-open that only notes the page, so no browser time is counted.
mkdir -p "$scratch/bin"
printf '#!/bin/sh\necho "$1" > %s/opened\n' "$scratch" > "$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
for run in first second; do
    echo -n "stub, $run run (private folder): "
    time XDG_CACHE_HOME="$scratch/cache" PATH="$scratch/bin:$PATH" "$stub" --open "$exe"
done
