#!/usr/bin/env bash
# Intake of a large import: thumbnails and copies with one worker against one per core.
# Usage: bench/intake-bench.sh [slides] [rounds]   (builds into build/ first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake --build "$build" --target intake_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/intake_bench" "${1:-500}" "${2:-3}" 2>/dev/null
