# What the shell tests share: a scratch folder removed at exit with the one background process a
# test may start (its id in background_pid), and counted failures.
scratch=$(mktemp -d)
background_pid=
cleanup() {
    [[ -n $background_pid ]] && kill -TERM "$background_pid" 2>/dev/null && wait "$background_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }
