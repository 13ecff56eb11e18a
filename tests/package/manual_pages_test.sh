#!/usr/bin/env bash
# The manual pages against the programs they describe: every option a program's help lists must
# appear in its page, and every page must format without a warning. A program that gains an option
# fails here until its page tells of it.
# Usage: manual_pages_test.sh <folder of the programs> <folder of the generated pages>
set -uo pipefail
bin=$1
pages=$2

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The option words of a help text: a dash or two and a letter, at the start of a word.
options_in() {
    grep -oE '(^|[[:space:],(\[|])--?[a-z?][a-z0-9-]*' | sed -E 's/^[[:space:],(\[|]//' | sort -u
}

# The page's text with roff's escaped dashes and font changes undone.
page_text() {
    sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"
}

check_page() {
    local page=$1 help=$2 text option pattern
    text=$(page_text "$page")
    [[ -n $help ]] || fail "$(basename "$page"): the program printed no help"
    while read -r option; do
        [[ -n $option ]] || continue
        pattern=$(printf '%s' "$option" | sed 's/[?]/\\?/g')
        grep -qE -- "(^|[^A-Za-z0-9-])${pattern}([^A-Za-z0-9-]|$)" <<<"$text" ||
            fail "$(basename "$page") lacks $option, which the help lists"
    done < <(options_in <<<"$help")
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$(basename "$page") formats with warnings: $warnings"
}

export HOME XDG_STATE_HOME XDG_DATA_HOME
HOME=$(mktemp -d)
trap 'rm -rf "$HOME"' EXIT
XDG_STATE_HOME=$HOME/state XDG_DATA_HOME=$HOME/data

murano_help=$("$bin/murano" --help 2>&1)
for command in import apply publish project upload; do
    murano_help+=$'\n'$("$bin/murano" "$command" --help 2>&1)
done
check_page "$pages/murano.1" "$murano_help"
# The converter's usage screen: banner and examples on standard output, the listing on standard
# error.
check_page "$pages/lantrel.1" "$("$bin/lantrel" -h 2>&1)"
check_page "$pages/bookservice.8" "$("$bin/bookservice" --help 2>&1)"

echo "manual pages: $failures failure(s)"
[[ $failures -eq 0 ]]
