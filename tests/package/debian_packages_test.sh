#!/usr/bin/env bash
# Builds the two Debian packages from the built tree (no second compile), checks them with lintian,
# reads their control fields and contents, then unpacks them into a scratch root and runs what they
# hold from there: the versions and help, a conversion with the packaged converter, and the
# packaged service answering on 127.0.0.1.
# Usage: debian_packages_test.sh <build folder> <source folder> <presentation> <slide count>
set -uo pipefail
build=$1
source=$2
deck=$3
slides=$4

source "$(dirname "${BASH_SOURCE[0]}")/../support/script_checks.sh"
expect() { # expect <description> <command...>: passes when the command succeeds
    local what=$1
    shift
    if "$@"; then pass "$what"; else
        fail "$what"
        return 1
    fi
}

BUILD_DIR=$build bash "$source/scripts/package.sh" --no-build >"$scratch/package.log" 2>&1 || {
    cat "$scratch/package.log"
    echo "FAIL: scripts/package.sh"
    exit 1
}
version=$(sed -n 's/^#define MURANO_VERSION "\(.*\)"$/\1/p' "$build/generated/cmake/version.h")
murano_deb=$build/packages/quorvex-murano_${version}_amd64.deb
service_deb=$build/packages/quorvex-bookservice_${version}_amd64.deb
for deb in "$murano_deb" "$service_deb"; do
    [[ -f $deb ]] || { echo "FAIL: $deb was not built"; exit 1; }
done

# lintian: no error and no warning (what is overridden is justified in packaging/debian/).
lintian --fail-on error,warning "$build/packages/quorvex-murano_${version}_amd64.changes" \
    >"$scratch/lintian.log" 2>&1
expect "lintian finds no error or warning" test $? -eq 0 || true
grep -E '^[EW]:' "$scratch/lintian.log"

# Control fields: the version built, computed library dependencies and the named programs.
field() { dpkg-deb --field "$1" "$2"; }
expect "murano package has version $version" test "$(field "$murano_deb" Version)" = "$version"
expect "service package has version $version" test "$(field "$service_deb" Version)" = "$version"
murano_depends=$(field "$murano_deb" Depends)
for needed in libreoffice-impress p7zip-full 'poppler-utils | ghostscript' xdg-utils \
    fonts-dejavu-core libqt6webenginewidgets6 libuno-cppu3 libmagick++-6.q16-8 libminizip1; do
    expect "murano depends on $needed" grep -qF -- "$needed" <<<"$murano_depends"
done
service_depends=$(field "$service_deb" Depends)
for needed in adduser libsodium23 libsqlite3-0 libcpp-httplib; do
    expect "service depends on $needed" grep -qF -- "$needed" <<<"$service_depends"
done
expect "chromium is needed by tests only" test "$(grep -c chromium <<<"$murano_depends")" -eq 0

# Contents: what each package holds, and that no file belongs to both (dpkg would refuse the
# second one).
files_of() { dpkg-deb --contents "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|'; }
files_of "$murano_deb" | sort >"$scratch/murano.files"
files_of "$service_deb" | sort >"$scratch/service.files"
folder=/usr/lib/quorvex-murano
for shipped in /usr/bin/murano /usr/bin/lantrel $folder/murano $folder/lantrel $folder/lantrel.dll \
    $folder/korrind.so $folder/book $folder/book.exe $folder/flash/index.html \
    $folder/flash/swfobject.js $folder/flash/main.swf $folder/Image/close.png \
    $folder/guide/index.html /usr/share/applications/quorvex-murano.desktop \
    /usr/share/icons/hicolor/scalable/apps/quorvex-murano.svg \
    /usr/share/icons/hicolor/48x48/apps/quorvex-murano.png \
    /usr/share/metainfo/org.quorvex.murano.metainfo.xml /usr/share/man/man1/murano.1.gz \
    /usr/share/man/man1/lantrel.1.gz /usr/share/doc/quorvex-murano/copyright; do
    expect "murano package holds $shipped" grep -qx "$shipped" "$scratch/murano.files"
done
expect "murano package holds templates" grep -q "^$folder/template/.*\.jpg$" "$scratch/murano.files"
for shipped in /usr/bin/bookservice $folder/bookservice /usr/sbin/bookservice-add-user \
    /lib/systemd/system/bookservice.service /etc/default/bookservice \
    /usr/share/man/man8/bookservice.8.gz /usr/share/doc/quorvex-bookservice/copyright; do
    expect "service package holds $shipped" grep -qx "$shipped" "$scratch/service.files"
done
expect "no file in both packages" test -z "$(comm -12 "$scratch/murano.files" "$scratch/service.files")"
expect "the data folder is made by the maintainer scripts, not shipped" \
    test -z "$(grep '^/var' "$scratch/murano.files" "$scratch/service.files")"

# Maintainer scripts and the conffile.
dpkg-deb --control "$service_deb" "$scratch/control"
expect "the configuration is a conffile" grep -qx /etc/default/bookservice "$scratch/control/conffiles"
expect "postinst makes the system user" grep -q 'adduser --system' "$scratch/control/postinst"
expect "postinst makes the data folder 0700" grep -q 'install -d .*-m 0700 /var/lib/bookservice' \
    "$scratch/control/postinst"
expect "postinst enables the service" grep -q "deb-systemd-helper enable 'bookservice.service'" \
    "$scratch/control/postinst"
expect "postrm purges the data folder and the user" \
    bash -c "grep -q 'rm -rf /var/lib/bookservice' '$scratch/control/postrm' &&
             grep -q 'deluser --system' '$scratch/control/postrm'"

# Unpacked into a scratch root, everything runs from there.
root=$scratch/root
dpkg-deb -x "$murano_deb" "$root"
dpkg-deb -x "$service_deb" "$root"
expect "desktop entry valid" desktop-file-validate "$root/usr/share/applications/quorvex-murano.desktop"
expect "AppStream metadata valid" appstreamcli validate --no-net --pedantic \
    "$root/usr/share/metainfo/org.quorvex.murano.metainfo.xml" >/dev/null
unit=$root/lib/systemd/system/bookservice.service
expect "the unit starts the packaged service" \
    grep -qx "ExecStart=$folder/bookservice --data /var/lib/bookservice .*\$BOOKSERVICE_OPTIONS" "$unit"
expect "the unit reads the configuration file" grep -qx 'EnvironmentFile=-/etc/default/bookservice' "$unit"

export HOME=$scratch/home XDG_STATE_HOME=$scratch/state XDG_DATA_HOME=$scratch/data
export XDG_CACHE_HOME=$scratch/cache XDG_CONFIG_HOME=$scratch/config
mkdir -p "$HOME"
expect "murano --version" test "$("$root/usr/bin/murano" --version)" = "murano $version"
expect "bookservice --version" test "$("$root/usr/bin/bookservice" --version)" = "bookservice $version"
expect "lantrel -v names the version" \
    bash -c "'$root/usr/bin/lantrel' -v 2>/dev/null | head -1 | grep -qF ' $version '"
expect "murano --help" bash -c "'$root/usr/bin/murano' --help | grep -q '^Usage: murano'"
expect "bookservice --help" bash -c "'$root/usr/bin/bookservice' --help | grep -q '^Usage: bookservice'"

mkdir -p "$scratch/out"
"$root/usr/bin/lantrel" -debug "$deck" "$scratch/out/slides.jpg" >"$scratch/lantrel.log" 2>&1
result=$?
written=$(find "$scratch/out" -name 'Slide*.JPG' | wc -l)
expect "packaged lantrel converted $slides slides (status $result, $written pictures)" \
    test "$result" -eq "$slides" -a "$written" -eq "$slides" || cat "$scratch/lantrel.log"

# The packaged service on any free port of 127.0.0.1 answers its front page.
"$root/usr/bin/bookservice" --data "$scratch/books" --listen 127.0.0.1:0 >"$scratch/service.out" \
    2>"$scratch/service.err" &
background_pid=$!
address=
for _ in $(seq 100); do
    address=$(sed -n 's|^bookservice: serving .* at \(http://127.0.0.1:[0-9]*/\)$|\1|p' \
        "$scratch/service.out")
    [[ -n $address ]] && break
    kill -0 "$background_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ -n $address ]]; then
    expect "packaged service answers at $address" \
        bash -c "python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' '$address' | grep -qi '<html'"
else
    fail "packaged service did not start"
    cat "$scratch/service.err"
fi

echo "debian packages: $failures failure(s)"
[[ $failures -eq 0 ]]
