#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzz programs, as many at a time as there are processors (FUZZ_JOBS), each for SECONDS
# (default 20, the CI smoke run), at the lowest priority, starting from the seed corpus in
# fuzz/corpus/<target>/. New inputs go to a scratch corpus, not into the repository; a finding
# fails the script, with the input that caused it kept in ARTIFACTS (default: a folder under
# /tmp, printed). Prints the executions of each target.
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

# Runs one target and prints its line; its exit status says whether it found something.
fuzz_one() {
    local target=$1 program="$build/fuzz/fuzz_$1" log="$work/$1.log" runs result
    mkdir -p "$work/corpus/$target"
    nice -n 19 "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$work/corpus/$target" "$top/fuzz/corpus/$target" >"$log" 2>&1
    result=$?
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    if [ $result -ne 0 ]; then
        echo "fuzz $target: FINDING after ${runs:-?} executions (input kept in $artifacts)" >&2
        grep -A30 -m1 -E 'FUZZ FINDING|ERROR: (AddressSanitizer|libFuzzer)|runtime error' "$log" >&2
        return 1
    fi
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no finding"
}

for target in "${targets[@]}"; do
    if [ ! -x "$build/fuzz/fuzz_$target" ]; then
        echo "fuzz: $build/fuzz/fuzz_$target is missing (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
        exit 2
    fi
done

# As many targets at a time as there are processors (FUZZ_JOBS), each a single-threaded fuzzer.
jobs=${FUZZ_JOBS:-$(nproc)}
status=0
passed=0
failed=0
running=0
collect() {
    if wait -n; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi
    running=$((running - 1))
}
for target in "${targets[@]}"; do
    [ $running -ge "$jobs" ] && collect
    fuzz_one "$target" &
    running=$((running + 1))
done
while [ $running -gt 0 ]; do collect; done
[ $status -eq 0 ] && rm -rf "$work"
echo "fuzz: $passed passed, $failed failed"
exit $status
