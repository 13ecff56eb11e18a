#!/usr/bin/env bash
# Wall player: first tile painted against a plain page, and frame times while it turns, in headless
# Chromium with software rendering. Usage: bench/player-bench.sh [slides] [rounds]
# Builds the template folder into build/ first (set BUILD_DIR for another build folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake --build "$build" --target murano_flash_template >/dev/null
[[ -d $root/tests/player/node_modules ]] || (cd "$root/tests/player" && npm install --no-audit --no-fund --silent)
MURANO_FLASH_DIR="$build/bin/flash" node "$root/bench/player-bench.js" "${1:-500}" "${2:-5}"
