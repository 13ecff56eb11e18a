#!/usr/bin/env bash
# Search in the wall player: time per keystroke on a wall of many slides with many words each, in
# headless Chromium. Usage: bench/search-bench.sh [slides] [words per slide] [rounds]
# Builds the template folder into build/ first (set BUILD_DIR for another build folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake --build "$build" --target murano_flash_template >/dev/null
[[ -d $root/tests/player/node_modules ]] || (cd "$root/tests/player" && npm install --no-audit --no-fund --silent)
MURANO_FLASH_DIR="$build/bin/flash" node "$root/bench/search-bench.js" "${1:-500}" "${2:-300}" "${3:-3}"
