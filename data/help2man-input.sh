#!/usr/bin/env bash
# help2man reads `stencilor --help` and `stencilor --version` through this script, which puts
# CLI11's option lines into the layout help2man knows ("-h, --help" rather than "-h,--help") and
# leaves out what the page has sections of its own for: the block of positional arguments (see
# SYNOPSIS) and the text after the options (the exit statuses, see EXIT STATUS). STENCILOR names
# the executable.
set -euo pipefail
"${STENCILOR:?set STENCILOR to the executable}" "$@" |
    sed -e 's/^\( *-[A-Za-z]\),--/\1, --/' \
        -e '/^Positionals:$/,/^$/d' \
        -e '/^Options:$/,$!b' -e '/^Options:$/,/^$/b' -e d
