# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the shell tests: a scratch folder removed on exit, and named checks that are counted.
# Source it, call `check NAME COMMAND...` for each condition, and end with `report_checks`.
# A failed check returns 1, so `check ... || cat LOG` shows what went wrong.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0

check() { # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
    else
        echo "FAILED: $name" >&2
        failures=$((failures + 1))
        return 1
    fi
}

# Prints the counts; the exit status is that of the whole test.
report_checks() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
