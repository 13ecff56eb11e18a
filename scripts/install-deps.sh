#!/usr/bin/env bash
# Installs every Debian package and npm module the system and its tests need. Idempotent, and quiet
# when everything is already there.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config libgtest-dev ccache
    # GUI toolkit, 8-bit codecs, the wall player's host
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-5compat-dev qt6-webengine-dev
    qt6-webchannel-dev qt6-l10n-tools
    # archives, images
    libminizip-dev zlib1g-dev libmagick++-dev libjpeg-dev p7zip-full zip unzip
    # PDF import (poppler's Splash device and its Qt binding, qpdf's library for the catalog);
    # qpdf protects and damages the test PDFs
    libpoppler-qt6-dev libpoppler-private-dev libqpdf-dev qpdf
    # the presentation application and its UNO SDK, its Python scripts (the words of a deck are
    # read inside it); PDF to PS; libcrypto names the files an instance leaves, to remove them
    libreoffice-impress libreoffice-script-provider-python libreoffice-dev libreoffice-dev-common
    poppler-utils ghostscript libssl-dev
    # reference online book service
    libcpp-httplib-dev libsqlite3-dev libsodium-dev
    # the book service cluster: PostgreSQL, the S3 client, the Swift object store with its S3
    # layer, haproxy in front; s3cmd for the store benchmark
    postgresql-15 libpq-dev libcurl4-openssl-dev swift-proxy swift-account swift-container
    swift-object haproxy curl s3cmd
    # the Windows book stub (cross compiler, static zlib) and wine to run it in tests
    g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64
    # the wall player's bundle
    esbuild
    # player tests in a real browser; desktop integration; a display for screenshots
    chromium xdg-utils xvfb xauth imagemagick fonts-dejavu-core
    # the program's scalable icon; checking the menu entry; shrinking the guide's screenshots
    qt6-svg-dev desktop-file-utils pngquant optipng
    # the Debian packages: making them, checking them, and trying them in a fresh Debian root
    dpkg-dev debhelper chrpath lintian appstream mmdebstrap
)
# Node.js and npm: the machine's own when it has them (a packaged npm of another origin would
# conflict with them), Debian's otherwise.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi

# npm modules of the browser tests and of the player's lint, each folder with its own package.json.
root=$(cd "$(dirname "$0")/.." && pwd)
for manifest in "$root"/tests/*/package.json "$root"/platform/player/package.json; do
    [[ -f $manifest ]] || continue
    dir=$(dirname "$manifest")
    if [[ ! -d $dir/node_modules || $manifest -nt $dir/node_modules ]]; then
        (cd "$dir" && npm install --no-audit --no-fund --silent >/dev/null && touch node_modules)
    fi
done
