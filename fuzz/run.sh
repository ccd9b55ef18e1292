#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzz programs one after the other, each for SECONDS (default 20, the CI smoke run),
# at the lowest priority, starting from the seed corpus in fuzz/corpus/<target>/. New inputs go
# to a scratch corpus, not into the repository; a finding stops the script with the input that
# caused it kept in ARTIFACTS (default: a folder under /tmp, printed). Prints the executions of
# each target.
# usage: fuzz/run.sh [SECONDS] [TARGET...]     (needs the "fuzz" preset built, or FUZZ_BUILD=dir)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
build=${FUZZ_BUILD:-$top/build/fuzz}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(ini lines replace fields naming containment report template workbook)
work=$(mktemp -d /tmp/stencilor-fuzz-run.XXXXXX)
artifacts=${ARTIFACTS:-$work/artifacts}
mkdir -p "$artifacts"
trap 'rm -rf "$work/corpus"' EXIT

status=0
passed=0
failed=0
for target in "${targets[@]}"; do
    program="$build/fuzz/fuzz_$target"
    if [ ! -x "$program" ]; then
        echo "fuzz: $program is missing (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
        exit 2
    fi
    mkdir -p "$work/corpus/$target"
    log="$work/$target.log"
    nice -n 19 "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$work/corpus/$target" "$top/fuzz/corpus/$target" >"$log" 2>&1
    result=$?
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    if [ $result -ne 0 ]; then
        echo "fuzz $target: FINDING after ${runs:-?} executions (input kept in $artifacts)" >&2
        grep -A30 -m1 -E 'FUZZ FINDING|ERROR: (AddressSanitizer|libFuzzer)|runtime error' "$log" >&2
        status=1
        failed=$((failed + 1))
    else
        echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no finding"
        passed=$((passed + 1))
    fi
done
[ $status -eq 0 ] && rm -rf "$work"
echo "fuzz: $passed passed, $failed failed"
exit $status
