#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs bench/bare_calls.c on a benchmark scenario, for the shared harness:
#   bench/bare_calls.sh --prepare /tmp/bench-work/cards/project.ql
#   STENCILOR_CMD="$PWD/bench/bare_calls.sh {}" run_bench.sh --only limit,stencilor cards
# --prepare runs stencilor once on the scenario (output on /dev/shm) and packs its files in
# record order, by the names its manifest gives, into "<data file>.bare" beside the data; do it
# before the harness call so that no timed run pays for it. A run then makes only the system
# calls a one-job run makes for its records (see bare_calls.c); it writes no report.html, so the
# scenario's report must be off, as the shared ones have it. BARE_CALLS_STAT=0 leaves out
# the stat of the template. BARE_CALLS_TOOL names where the program is built.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin=${STENCILOR:-$top/build/bench/stencilor}
tool=${BARE_CALLS_TOOL:-$top/build/bench/bench/bare_calls}
prepare=0
if [ "${1:-}" = --prepare ]; then prepare=1; shift; fi
[ $# -eq 1 ] || { echo "usage: bench/bare_calls.sh [--prepare] PROJECT.ql" >&2; exit 64; }
project=$1
# Relative paths in a project are relative to its folder.
beside() { case "$1" in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$(dirname "$project")" "$1" ;; esac; }
data=$(beside "$(sed -n 's/^textfile=//p' "$project")")
templ=$(beside "$(sed -n 's/^templatefile=//p' "$project")")
pack="$data.bare"
if [ ! -x "$tool" ] || [ "$top/bench/bare_calls.c" -nt "$tool" ]; then
    mkdir -p "$(dirname "$tool")"
    cc -O2 -Wall -o "$tool" "$top/bench/bare_calls.c"
fi
if [ $prepare = 1 ]; then
    scratch=/dev/shm
    [ -d "$scratch" ] && [ -w "$scratch" ] || scratch=${TMPDIR:-/tmp}
    work=$(mktemp -d "$scratch/bare-calls.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    sed "s|^outputdir=.*|outputdir=$work/out|; s|^textfile=.*|textfile=$data|; s|^templatefile=.*|templatefile=$templ|" \
        "$project" >"$work/project.ql"
    "$bin" --run "$work/project.ql" --quiet --manifest "$work/manifest.jsonl"
    python3 - "$work/manifest.jsonl" "$work/out" "$pack.tmp" <<'PY'
import json, os, struct, sys
manifest, out, pack = sys.argv[1:]
with open(pack, 'wb') as dst:
    for line in open(manifest, encoding='utf-8'):
        entry = json.loads(line)
        if entry.get('status') != 'written':
            continue
        name = entry['name'].encode('utf-8')
        data = open(os.path.join(out.encode(), name), 'rb').read()
        dst.write(name + b'\0' + struct.pack('=Q', len(data)) + data)
PY
    mv "$pack.tmp" "$pack"
    exit 0
fi
[ -s "$pack" ] || { echo "bare_calls: no $pack; run bench/bare_calls.sh --prepare $project first" >&2; exit 2; }
exec "$tool" "$pack" "$project" "$templ"
