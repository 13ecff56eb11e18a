#!/usr/bin/env bash
# Builds the Debian packages quorvex-murano and quorvex-bookservice from the build tree into
# $BUILD_DIR/packages/ (build/packages/ by default). The tree is brought up to date first, unless
# --no-build is given (the package tests reuse the tree they run in); nothing is compiled twice:
# packaging/debian/rules installs the tree with `cmake --install` and splits it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$root/build}")
[[ ${1:-} == --no-build ]] || BUILD_DIR=$build "$root/scripts/build.sh"

# The version that was built, as the programs print it.
version=$(sed -n 's/^#define MURANO_VERSION "\(.*\)"$/\1/p' "$build/generated/cmake/version.h")
[[ -n $version ]] || { echo "package.sh: no built tree in $build" >&2; exit 1; }

out=$build/packages
source=$out/source
rm -rf "$source" "$out"/quorvex-*
mkdir -p "$source"
cp -r "$root/packaging/debian" "$root/packaging/bookservice" "$source/"

# One changelog entry for the version built, dated by the last commit so that a rebuild of the
# same commit makes the same packages.
maintainer=$(sed -n 's/^Maintainer: //p' "$source/debian/control")
date=$(git -C "$root" log -1 --format=%cD 2>/dev/null || date -R)
cat >"$source/debian/changelog" <<CHANGELOG
quorvex-murano ($version) stable; urgency=medium

  * Release $version.

 -- $maintainer  $date
CHANGELOG

(cd "$source" && MURANO_BUILD_DIR=$build dpkg-buildpackage --build=binary --no-sign \
    >"$out/build.log" 2>&1) || {
    tail -n 40 "$out/build.log" >&2
    echo "package.sh: dpkg-buildpackage failed; the whole log is $out/build.log" >&2
    exit 1
}
rm -rf "$source"
ls "$out"/quorvex-*_"$version"_*.deb
