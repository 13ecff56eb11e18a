#!/usr/bin/env bash
# Turns a folder of presentations into a folder of published walls, one per deck, through murano's
# command line:
#
#     scripts/decks-to-walls.sh [--zip] DECKS OUT
#
# DECKS holds .ppt, .pptx, .pps, .ppsx and .odp files; OUT receives OUT/<deck>/index.html (a web
# folder) for each deck, or OUT/<deck>.zip with --zip, titled with the deck's name. MURANO names
# the program (default: murano on the PATH). Every deck gets a wall folder of its own, so runs
# share nothing with each other or with the user's own wall. A deck that fails is reported and
# skipped, and the status is then 1.
set -uo pipefail

kind=html
if [[ ${1:-} == --zip ]]; then
    kind=zip
    shift
fi
if [[ $# -ne 2 || ! -d $1 ]]; then
    echo "usage: $0 [--zip] DECKS OUT" >&2
    exit 2
fi
decks=$1
out=$2
murano=${MURANO:-murano}
mkdir -p "$out" || exit 1
walls=$(mktemp -d) || exit 1
trap 'rm -rf "$walls"' EXIT

publish() { # wall, deck name
    if [[ $kind == zip ]]; then
        "$murano" --work "$1" publish zip --output "$out" --name "$2" --meta-title "$2" --overwrite
    else
        "$murano" --work "$1" publish html --output "$out/$2" --name index --meta-title "$2" \
            --overwrite
    fi
}

failed=0
shopt -s nullglob nocaseglob
for deck in "$decks"/*.{ppt,pptx,pps,ppsx,odp}; do
    name=$(basename "${deck%.*}")
    wall="$walls/$name"
    if "$murano" --work "$wall" import "$deck" &&
        "$murano" --work "$wall" apply --title "$name" &&
        publish "$wall" "$name" >/dev/null; then
        echo "$name: published"
    else
        echo "$name: failed" >&2
        failed=1
    fi
done
exit $failed
