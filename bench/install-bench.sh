#!/usr/bin/env bash
# What an installation costs and how soon the installed murano is up: the time of
# `cmake --install` into a fresh prefix, the tree's size (and the guide's share of it), and the time
# from starting the installed murano (offscreen, through its link) to its first start's settings
# file, the best of several rounds.
# Usage: bench/install-bench.sh [rounds]   (uses the build in build/, or BUILD_DIR)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
rounds=${1:-3}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

now() { date +%s.%N; }
best_install= best_start=
for round in $(seq "$rounds"); do
    prefix=$scratch/prefix$round
    start=$(now)
    cmake --install "$build" --prefix "$prefix" >/dev/null
    took=$(echo "$(now) - $start" | bc)
    [[ -z $best_install || $(echo "$took < $best_install" | bc) == 1 ]] && best_install=$took

    state=$scratch/state$round
    start=$(now)
    HOME=$scratch/home$round XDG_STATE_HOME=$state XDG_DATA_HOME=$scratch/data$round \
        QT_QPA_PLATFORM=offscreen MURANO_NO_WEBENGINE=1 MURANO_WARM_OFFICE=0 \
        "$prefix/bin/murano" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 3000); do # at most 30 s
        [[ -s $state/quorvex/quorvexmrnoini ]] && break
        sleep 0.01
    done
    took=$(echo "$(now) - $start" | bc)
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    [[ -z $best_start || $(echo "$took < $best_start" | bc) == 1 ]] && best_start=$took
done

prefix=$scratch/prefix1
printf 'cmake --install, best of %d:        %.2f s\n' "$rounds" "$best_install"
printf 'installed tree:                     %s in %d files\n' \
    "$(du -sh "$prefix" | cut -f1)" "$(find "$prefix" -type f | wc -l)"
printf 'user guide (HTML, CSS, %d pictures): %s\n' \
    "$(find "$prefix/lib/quorvex-murano/guide/img" -name '*.png' | wc -l)" \
    "$(du -sh "$prefix/lib/quorvex-murano/guide" | cut -f1)"
printf 'installed murano to its settings:   %.2f s (best of %d)\n' "$best_start" "$rounds"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
