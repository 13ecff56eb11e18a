#!/usr/bin/env bash
# Saving and opening the project file of a large wall, in seconds, against the ZIP output of the
# same wall. Targets: open under 2 s, save under the ZIP output's time plus 10 %.
# Usage: bench/project-bench.sh [slides] [rounds]   (builds into build/ first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
slides=${1:-500}
rounds=${2:-3}
cmake --build "$build" --target publish_bench project_bench >/dev/null
publish="$build/bench/publish/publish_bench"
project="$build/bench/project/project_bench"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen

# Seconds a command takes.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" 2>/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

# The smaller of two numbers ("" counts as none).
least() {
    if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ]; then echo "$2"; else echo "$1"; fi
}

"$publish" wall "$scratch/work" "$slides" 2>/dev/null
mkdir -p "$scratch/other"
zip="" save="" open=""
# Rounds interleave the three, so that a busy moment of the machine does not favour one of them.
for _ in $(seq "$rounds"); do
    zip=$(least "$zip" "$(seconds "$publish" zip "$scratch/work" "$scratch/wall.zip")")
    save=$(least "$save" "$(seconds "$project" save "$scratch/work" "$scratch/wall.mrnp")")
    open=$(least "$open" "$(seconds "$project" open "$scratch/other" "$scratch/wall.mrnp")")
done
echo "wall of $slides slides: project file $(du -m "$scratch/wall.mrnp" | cut -f1) MB"
printf 'ZIP output   %6.2f s\n' "$zip"
printf 'project save %6.2f s   (target under %.2f s)\n' "$save" "$(echo "$zip * 1.1" | bc -l)"
printf 'project open %6.2f s   (target under 2 s)\n' "$open"
