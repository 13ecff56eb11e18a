#!/usr/bin/env bash
# Renews the user guide's screenshots in guide/img/ from the real program: builds the shot tool,
# runs it under a virtual display (the sample presentation is imported through the real converter)
# and shrinks the pictures. Look at every picture before committing them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
cmake --build "$build" --target murano_guide_shots

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/tests/murano_guide_shots" "$shots" "$build/samples/sample.pptx"

for shot in "$shots"/*.png; do
    target=$root/guide/img/$(basename "$shot")
    # Fewer colours where that keeps the picture faithful; the full picture where it does not.
    pngquant --force --strip --quality 75-95 --output "$target" "$shot" || cp "$shot" "$target"
    optipng -quiet -o3 "$target"
    echo "$target $(stat -c %s "$target") bytes"
done
