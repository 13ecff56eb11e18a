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
cleanup() { rm -rf "$shots"; }
trap cleanup EXIT
# The pictures show the program's files where an installed tree keeps them, when that name is free
# and ours to lend for the run.
installed=/usr/lib/quorvex-murano
if [[ ! -e $installed && -w $(dirname "$installed") ]]; then
    ln -s "$build/bin" "$installed"
    cleanup() { rm -rf "$shots"; rm -f "$installed"; }
    export MURANO_SHOTS_APP_FOLDER=$installed/
fi
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/tests/murano_guide_shots" "$shots" "$build/samples/sample.pptx"

for shot in "$shots"/*.png; do
    target=$root/guide/img/$(basename "$shot")
    # Fewer colours where that keeps the picture faithful; the full picture where it does not.
    pngquant --force --strip --quality 75-95 --output "$target" "$shot" || cp "$shot" "$target"
    optipng -quiet -o3 "$target"
    echo "$target $(stat -c %s "$target") bytes"
done

# The pages declare each picture's size, so that they lay out before the pictures load.
python3 - "$root/guide" <<'PY'
import pathlib, re, struct, sys
guide = pathlib.Path(sys.argv[1])
for page in guide.glob("*.html"):
    def sized(match):
        width, height = struct.unpack(">II", (guide / match[1]).read_bytes()[16:24])
        return f'src="{match[1]}"{match[2]}width="{width}" height="{height}"'
    text = page.read_text(encoding="utf-8")
    page.write_text(re.sub(r'src="(img/[^"]+\.png)"([^>]*?)width="\d+" height="\d+"', sized, text),
                    encoding="utf-8")
PY
