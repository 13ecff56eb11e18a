#!/usr/bin/env bash
# Builds everything and starts murano from the build tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
# The wall preview's browser engine refuses to run as root inside its own sandbox.
[[ $(id -u) -ne 0 ]] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec "$build/bin/murano" "$@"
