#!/usr/bin/env bash
# Before a release: installs the two Debian packages into a throw-away Debian 12 root made with
# mmdebstrap from apt's configured sources (the smallest root with apt, so that every dependency
# the packages forget shows), and checks there what users rely on:
#   - `apt-get install ./quorvex-*.deb` pulls in everything; murano, lantrel and bookservice are on
#     the PATH and print their version;
#   - the packaged converter turns a presentation into pictures with the office suite it pulled in,
#     and murano imports it and publishes a ZIP without a display;
#   - the service's system user and its 0700 data folder exist, the service answers on 127.0.0.1,
#     bookservice-add-user adds an account; an edited configuration survives a reinstall;
#   - removing leaves none of the packages' files but the service's data, configuration and user;
#     purging removes those too.
# Needs root and the Debian mirror; takes a few minutes (it downloads the office suite).
# Usage: release-install-check.sh [--keep]   (--keep leaves the root for a look; the packages are
# built from $BUILD_DIR, build/ by default, with scripts/package.sh --no-build)
set -euo pipefail

if [[ ${1:-} == --inside ]]; then
    # Runs inside the fresh root, with the packages, the deck and the file lists in /tmp/release.
    cd /tmp/release
    set +e # every check runs; the count of failures decides
    failures=0
    fail() {
        echo "FAIL: $*"
        failures=$((failures + 1))
    }
    pass() { echo "ok: $*"; }
    check() {
        local what=$1
        shift
        if "$@"; then pass "$what"; else
            fail "$what"
            return 1
        fi
    }
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq ./quorvex-murano_*.deb ./quorvex-bookservice_*.deb >install.log 2>&1 ||
        { tail -n 30 install.log; echo "FAIL: apt-get install"; exit 1; }
    pass "apt-get install ./quorvex-murano_*.deb ./quorvex-bookservice_*.deb"
    version=$(cat version)

    for program in murano lantrel bookservice; do
        check "$program on the PATH" test -x "$(command -v "$program")"
    done
    check "murano --version" test "$(murano --version)" = "murano $version"
    check "bookservice --version" test "$(bookservice --version)" = "bookservice $version"
    check "lantrel -v" bash -c "lantrel -v 2>/dev/null | head -1 | grep -qF ' $version '"
    check "man murano" bash -c 'man -w murano >/dev/null 2>&1 || test -f /usr/share/man/man1/murano.1.gz'

    mkdir -p out
    lantrel -debug deck.pptx out/slides.jpg >lantrel.log 2>&1 && result=0 || result=$?
    written=$(find out -name 'Slide*.JPG' | wc -l)
    check "lantrel converted $(cat slides) slides (status $result, $written pictures)" \
        test "$result" -eq "$(cat slides)" -a "$written" -eq "$(cat slides)" || cat lantrel.log
    check "murano imports without a display" murano --work wall import deck.pptx
    check "murano publishes a ZIP" bash -c 'murano --work wall publish zip --output pub --name talk &&
        test -s pub/talk.zip'

    # The window starts (offscreen, with its live preview) and writes its first settings.
    QT_QPA_PLATFORM=offscreen MURANO_WARM_OFFICE=0 murano >window.log 2>&1 &
    window=$!
    for _ in $(seq 300); do
        [[ -s /root/.local/state/quorvex/quorvexmrnoini ]] && break
        sleep 0.1
    done
    check "the window starts and writes its settings" test -s /root/.local/state/quorvex/quorvexmrnoini ||
        cat window.log
    check "the window is still running" kill -0 "$window"
    kill -TERM "$window" && wait "$window"

    check "system user bookservice" bash -c 'getent passwd bookservice | grep -q ":/var/lib/bookservice:"'
    check "data folder 0700, the service's" \
        test "$(stat -c '%a %U' /var/lib/bookservice)" = "700 bookservice"
    runuser -u bookservice -- bookservice --data /var/lib/bookservice --listen 127.0.0.1:0 \
        >service.out 2>service.err &
    service=$!
    port=
    for _ in $(seq 100); do
        port=$(sed -n 's|^bookservice: serving .* at http://127.0.0.1:\([0-9]*\)/$|\1|p' service.out)
        [[ -n $port ]] && break
        sleep 0.1
    done
    if [[ -n $port ]] && exec 3<>"/dev/tcp/127.0.0.1/$port"; then
        printf 'GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3
        check "the service answers on 127.0.0.1:$port" grep -q '^HTTP/1.[01] 200' <&3
        exec 3<&-
    else
        fail "the service did not start: $(cat service.err)"
    fi
    kill -TERM "$service" && wait "$service" || true
    check "bookservice-add-user" bash -c \
        'echo "a long enough password" | bookservice-add-user ada ada@example.org | grep -q "Added user ada"'

    echo 'BOOKSERVICE_OPTIONS="--max-upload 1G"' >>/etc/default/bookservice
    apt-get install -y -qq --reinstall ./quorvex-bookservice_*.deb >reinstall.log 2>&1
    check "reinstalling keeps the edited configuration" grep -q -- '--max-upload 1G' /etc/default/bookservice

    apt-get remove -y -qq quorvex-murano quorvex-bookservice >remove.log 2>&1
    left=$(while read -r file; do [[ -e $file || -L $file ]] && echo "$file"; done <files)
    check "removing leaves none of the packages' files but the configuration" \
        test "$left" = /etc/default/bookservice
    check "removing leaves no program folder" test ! -e /usr/lib/quorvex-murano
    check "removing keeps the data and the user" \
        bash -c 'test -f /var/lib/bookservice/accounts.sqlite && getent passwd bookservice >/dev/null'
    check "removing murano leaves nothing for dpkg to purge" \
        bash -c '! dpkg-query -W -f="\${db:Status-Abbrev}" quorvex-murano 2>/dev/null | grep -q .'
    apt-get purge -y -qq quorvex-bookservice >purge.log 2>&1 || cat purge.log
    check "purging removes the data folder" test ! -e /var/lib/bookservice
    check "purging removes the configuration" test ! -e /etc/default/bookservice
    check "purging removes the user and the group" \
        bash -c '! getent passwd bookservice && ! getent group bookservice'

    echo "release install check: $failures failure(s)"
    [[ $failures -eq 0 ]]
    exit
fi

root_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD_DIR:-$root_dir/build}")
keep=${1:-}
command -v mmdebstrap >/dev/null || { echo "mmdebstrap is missing (scripts/install-deps.sh)" >&2; exit 1; }

BUILD_DIR=$build bash "$root_dir/scripts/package.sh" --no-build >/dev/null
version=$(sed -n 's/^#define MURANO_VERSION "\(.*\)"$/\1/p' "$build/generated/cmake/version.h")

stage=$(mktemp -d)
[[ $keep == --keep ]] || trap 'rm -rf "$stage"' EXIT
mkdir "$stage/release"
cp "$build/packages/"quorvex-*_"${version}"_*.deb "$stage/release/"
cp "$build/samples/sample.pptx" "$stage/release/deck.pptx"
echo 6 >"$stage/release/slides"
echo "$version" >"$stage/release/version"
cp "$0" "$stage/release/check.sh"
for deb in "$stage/release/"*.deb; do
    dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|'
done >"$stage/release/files"

# apt's own sources, so that the root comes from the mirror this machine is set up with.
sources=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
    2>/dev/null || true)
echo "Making a Debian 12 root in $stage/root (downloads the office suite; a few minutes)"
mmdebstrap --variant=apt --quiet \
    --customize-hook="copy-in $stage/release /tmp" \
    --customize-hook='chroot "$1" bash /tmp/release/check.sh --inside' \
    bookworm "$stage/root" - <<<"$sources"
