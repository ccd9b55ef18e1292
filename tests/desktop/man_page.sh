#!/usr/bin/env bash
# Checks the manual page against the program: man renders it without a warning, its OPTIONS are
# exactly the options of `stencilor --help`, no section names an option the program lacks, and
# the sections written beside help2man made it into the page.
# Usage: man_page.sh STENCILOR PAGE (the page as installed, stencilor.1.gz)
set -uo pipefail
bin=$1
page=$2
source "$(dirname "$0")/../check.sh"

# Rendered as a terminal shows it, in ASCII and wide enough that no option line wraps.
LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings -E ascii -l "$page" >"$work/page.txt" 2>"$work/warnings.txt"
check "man renders the page" test $? -eq 0 -a -s "$work/page.txt"
check "man renders the page without warnings" test ! -s "$work/warnings.txt"
cat "$work/warnings.txt" >&2

# Every spelling of every option: CLI11 lists them as `-h,--help` or `--records TEXT`.
"$bin" --help | sed -n '/^Options:$/,/^$/p' | grep -oE '^  -[^ ]+' | tr ',' '\n' | sed 's/^ *//' | sort >"$work/help.txt"
# The page's option paragraphs: `-h, --help` or `--records TEXT` under OPTIONS.
sed -n '/^OPTIONS$/,/^[A-Z]/p' "$work/page.txt" | grep -oE '^       -[^ ]+( -[^ ]+)?' |
    tr ',' ' ' | tr -s ' ' '\n' | grep -- '^-' | sort >"$work/options.txt"
check "--help lists options" test -s "$work/help.txt"
check "the page's options are those of --help" diff "$work/help.txt" "$work/options.txt"
grep -oE -- '--[a-z][a-z-]*[a-z]' "$work/page.txt" | sort -u | comm -23 - "$work/help.txt" >"$work/unknown.txt"
check "the page names no option the program lacks" test ! -s "$work/unknown.txt"
cat "$work/unknown.txt" >&2

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" "PROJECT FILE" ENVIRONMENT FILES EXAMPLES; do
    check "section $section" grep -qx "$section" "$work/page.txt"
done

report_checks
