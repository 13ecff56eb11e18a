#!/usr/bin/env bash
# Builds everything and starts the main program from the build tree. Until the main window exists,
# converts the bundled sample presentation with the converter instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
bin=$build/bin
if [[ -x $bin/murano ]]; then
    exec "$bin/murano" "$@"
fi
out=$build/sample-output
mkdir -p "$out"
"$bin/lantrel" -debug "$build/samples/sample.pptx" "$out/sample.jpg"
echo "Slides written to $out/sample/"
