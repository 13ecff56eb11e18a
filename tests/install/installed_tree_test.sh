#!/usr/bin/env bash
# Installs the build into a scratch prefix, moves the prefix elsewhere, and runs what was installed
# there: the converter turns a presentation into slide pictures, murano's first start records its
# default background and logo inside the installed tree, the guide and the desktop entry are there.
# Usage: installed_tree_test.sh <build folder> <presentation> <slide count>
set -euo pipefail
build=$1
deck=$2
slides=$3

source "$(dirname "${BASH_SOURCE[0]}")/../support/script_checks.sh"

cmake --install "$build" --prefix "$scratch/first" >/dev/null
mv "$scratch/first" "$scratch/moved" # nothing may depend on where the tree was installed
prefix=$scratch/moved
folder=$prefix/lib/quorvex-murano

# The programs on the PATH lead into the shipping folder.
for program in murano lantrel; do
    if [[ $(readlink -f "$prefix/bin/$program") == "$folder/$program" && -x $folder/$program ]]; then
        pass "bin/$program leads to lib/quorvex-murano/$program"
    else
        fail "bin/$program does not lead to $folder/$program"
    fi
done
for shipped in lantrel.dll korrind.so book book.exe bookservice flash/index.html Image/close.png \
    template guide/index.html guide/guide.css; do
    [[ -e $folder/$shipped ]] && pass "$shipped shipped" || fail "$shipped missing"
done

# The desktop entry and the icon it names.
entry=$prefix/share/applications/quorvex-murano.desktop
if desktop-file-validate "$entry"; then pass "desktop entry valid"; else fail "desktop entry invalid"; fi
grep -qx 'Exec=murano %f' "$entry" || fail "desktop entry does not hand murano the file"
grep -q '^MimeType=.*presentationml.presentation;' "$entry" || fail "desktop entry lacks .pptx"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [[ $(identify -format '%wx%h' "$png" 2>/dev/null) == "${size}x${size}" ]] ||
        fail "icon $png is not ${size}x${size}"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" || fail "no scalable icon"

# Everything the programs write goes to a scratch home.
export HOME=$scratch/home XDG_STATE_HOME=$scratch/state XDG_DATA_HOME=$scratch/data
export XDG_CACHE_HOME=$scratch/cache XDG_CONFIG_HOME=$scratch/config
mkdir -p "$HOME"

# The installed converter, through its link, finds the office layer and writes one JPEG a slide.
mkdir -p "$scratch/out"
set +e
"$prefix/bin/lantrel" -debug "$deck" "$scratch/out/slides.jpg" >"$scratch/lantrel.log" 2>&1
result=$?
set -e
written=$(find "$scratch/out" -name 'Slide*.JPG' | wc -l)
if [[ $result -eq $slides && $written -eq $slides ]]; then
    pass "installed lantrel converted $slides slides"
else
    fail "installed lantrel: status $result, $written pictures"
    cat "$scratch/lantrel.log"
fi

# murano's first start writes the settings file with the background and logo the wall shows; the file
# appears whole (it is written aside and renamed).
settings=$XDG_STATE_HOME/quorvex/quorvexmrnoini
QT_QPA_PLATFORM=offscreen MURANO_NO_WEBENGINE=1 MURANO_WARM_OFFICE=0 \
    "$prefix/bin/murano" >"$scratch/murano.log" 2>&1 &
background_pid=$!
for _ in $(seq 300); do
    [[ -s $settings ]] && break
    kill -0 "$background_pid" 2>/dev/null || break
    sleep 0.1
done
kill -TERM "$background_pid" 2>/dev/null || true
wait "$background_pid" 2>/dev/null || true
background_pid=
if [[ ! -s $settings ]]; then
    fail "murano wrote no settings file"
    cat "$scratch/murano.log"
else
    background=$(sed -n 1p "$settings")
    logo=$(sed -n 3p "$settings")
    for picture in "$background" "$logo"; do
        # The shipped picture, or the wall's own copy of it, which the first start records as
        # what the wall shows.
        if [[ ($picture == "$folder/"* || $picture == "$XDG_STATE_HOME/quorvex/Quorvex_Murano/"*) &&
            -f $picture ]]; then
            pass "default picture $picture"
        else
            fail "default picture '$picture' is not a file in $folder or the wall"
        fi
    done
fi

echo "installed tree: $failures failure(s)"
[[ $failures -eq 0 ]]
