#!/usr/bin/env bash
# SWF output end to end: a generated deck converted by lantrel with korrind.so at two stage sizes;
# prints the time per slide and the movie's size per slide.
# Usage: bench/korrind-bench.sh [slides] [rounds]   (builds into build/ first; BUILD_DIR for another)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
slides=${1:-40}
rounds=${2:-2}
cmake --build "$build" --target lantrel korrind >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/samples/make-deck.py" "$work/deck.fodp" --slides "$slides"
soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pptx --outdir "$work" "$work/deck.fodp" >/dev/null 2>&1

printf '%-10s %8s %12s %14s %14s\n' size round seconds "ms per slide" "KiB per slide"
for size in "720 540" "1440 1080"; do
    read -r width height <<<"$size"
    for round in $(seq 1 "$rounds"); do
        rm -rf "$work/out"
        start=$(date +%s.%N)
        XDG_STATE_HOME="$work" "$build/bin/lantrel" -width "$width" -height "$height" \
            "$work/deck.pptx" "$work/out.swf" >/dev/null
        end=$(date +%s.%N)
        bytes=$(stat -c %s "$work/out/out.swf")
        awk -v s="$start" -v e="$end" -v n="$slides" -v b="$bytes" -v w="${width}x$height" \
            -v r="$round" 'BEGIN { printf "%-10s %8d %12.2f %14.1f %14.1f\n", w, r, e - s,
                                    (e - s) * 1000 / n, b / 1024 / n }'
    done
done
