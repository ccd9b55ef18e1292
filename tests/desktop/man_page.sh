#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the manual page against the program: man renders it without a warning, it describes
# every option of `stencilor --help` and names none the program lacks, and its PROJECT FILE
# section names every key the project reader knows. Both lists are taken from the program (its
# --help, and the keys src/project reads and writes), so a new option or key without its
# paragraph fails here.
# Usage: man_page.sh STENCILOR PAGE SOURCE_DIR (PAGE as installed, stencilor.1.gz)
set -uo pipefail
bin=$1
page=$2
top=$3
source "$(dirname "$0")/../check.sh"

# Rendered as a terminal shows it, in ASCII and wide enough that no option line wraps.
LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings -E ascii -l "$page" >"$work/page.txt" 2>"$work/warnings.txt"
check "man renders the page" test $? -eq 0 -a -s "$work/page.txt"
check "man renders the page without warnings" test ! -s "$work/warnings.txt"
cat "$work/warnings.txt" >&2
section() { sed -n "/^$1\$/,/^[A-Z]/p" "$work/page.txt"; }

# Every spelling of every option: CLI11 lists them as `-h,--help` or `--records TEXT`.
"$bin" --help | sed -n '/^Options:$/,/^$/p' | grep -oE '^  -[^ ]+' | tr ',' '\n' | sed 's/^ *//' | sort >"$work/help.txt"
# The page's option paragraphs: `-h, --help` or `--records A-B` at the paragraph indent.
section OPTIONS | grep -oE '^       -[^ ]+( -[^ ]+)?' | tr ',' ' ' | tr -s ' ' '\n' | grep -- '^-' | sort >"$work/options.txt"
check "--help lists options" test -s "$work/help.txt"
check "OPTIONS has a paragraph for every option of --help, and only those" diff "$work/help.txt" "$work/options.txt"
grep -oE -- '--[a-z][a-z-]*[a-z]' "$work/page.txt" | sort -u | comm -23 - "$work/help.txt" >"$work/unknown.txt"
check "the page names no option the program lacks" test ! -s "$work/unknown.txt"
cat "$work/unknown.txt" >&2
for mode in --run --check --dry-run --merge-report --help --version; do
    check "SYNOPSIS shows $mode" grep -qE -- "stencilor .*$mode( |\$)" <(section SYNOPSIS)
done

# The keys of [setup] that src/project reads or writes, and the rule keys it builds from a row
# number (`"ColFld" + std::to_string(row)`, shown as ColFldn). Keys are read in any letter case.
grep -ohE 'kSetup, "[A-Za-z_]+"' "$top"/src/project/*.cpp | cut -d'"' -f2 | sort -uf >"$work/keys.txt"
grep -ohE '"[A-Za-z]+" \+ std::to_string\(row\)' "$top"/src/project/*.cpp | cut -d'"' -f2 | sort -uf >"$work/rule-keys.txt"
check "the project reader's keys are found" grep -qx delim "$work/keys.txt"
check "the rule keys are found" test -s "$work/rule-keys.txt"
section "PROJECT FILE" >"$work/project.txt"
for key in $(cat "$work/keys.txt"); do
    check "PROJECT FILE names $key" grep -qiE "(^|[^A-Za-z_])$key([^A-Za-z_]|\$)" "$work/project.txt"
done
for key in $(cat "$work/rule-keys.txt"); do
    check "PROJECT FILE names ${key}n" grep -qiE "(^|[^A-Za-z_])${key}n([^A-Za-z_]|\$)" "$work/project.txt"
done

# The statuses a script meets: the run's, the dry run's, the merge's, and the three signals.
for status in 0 1 2 3 64 129 130 143; do
    check "EXIT STATUS lists $status" grep -qE "^       $status( |\$)" <(section "EXIT STATUS")
done
check "EXIT STATUS says what the merge's 2 means" grep -q -- '--merge-report' <(section "EXIT STATUS")
check "EXAMPLES runs a job in parts and merges it" grep -q -- '--shard' <(section EXAMPLES)
for file in stencilor/stencilor.ini "stencilor.ini beside the executable"; do
    check "FILES names $file" grep -q "$file" <(section FILES)
done
check "the version in the heading is the program's" grep -q "$("$bin" --version)" "$work/page.txt"

report_checks
