#!/usr/bin/env bash
# Builds everything and runs every test under CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
cd "$build"
ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@"
