#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the shared benchmark scenarios with stencilor beside the floor and the peer scripts, then
# stencilor --jobs 2 beside the floor in a second call of the harness (its rows are labelled
# "--jobs 2"; compare each call's ratios with its own floor), then the text micro benchmarks.
# Extra arguments go to run_bench.sh (default: --quick).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
shared=${STENCILOR_SHARED_BENCH:-$top/../shared/bench}
if [ ! -x "$shared/run_bench.sh" ]; then
    echo "bench: the shared benchmark scripts are not at $shared (set STENCILOR_SHARED_BENCH)" >&2
    exit 2
fi
[ $# -eq 0 ] && set -- --quick
bin="$top/build/bench/stencilor"
STENCILOR="$bin" "$shared/run_bench.sh" "$@"
echo
echo "== stencilor --jobs 2 (a second call: the floor again, then two writer threads)"
STENCILOR_CMD="$bin --run {} --quiet --jobs 2" "$shared/run_bench.sh" --only limit,stencilor "$@" |
    sed -u -E 's/^([^ ]+ +)stencilor /\1--jobs 2  /; s/^( +(rep [0-9]+|ref) +)stencilor /\1--jobs 2  /'
"$top/build/bench/bench/stencilor_text_bench" --benchmark_min_time=0.2
