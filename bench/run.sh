#!/usr/bin/env bash
# Runs the shared benchmark scenarios with stencilor beside the floor and the peer scripts,
# then the text micro benchmarks. Extra arguments go to run_bench.sh (default: --quick).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
shared=${STENCILOR_SHARED_BENCH:-$top/../shared/bench}
if [ ! -x "$shared/run_bench.sh" ]; then
    echo "bench: the shared benchmark scripts are not at $shared (set STENCILOR_SHARED_BENCH)" >&2
    exit 2
fi
[ $# -eq 0 ] && set -- --quick
STENCILOR="$top/build/release/stencilor" "$shared/run_bench.sh" "$@"
"$top/build/release/bench/stencilor_text_bench" --benchmark_min_time=0.2
