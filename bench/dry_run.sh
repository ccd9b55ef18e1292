#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The dry run of RECORDS records (default 1,000,000: 15 MB, each naming its own file, a tenth of
# them colliding with an earlier one ignoring case) by two builds side by side, as text and as
# JSON: the time and peak memory of each by /usr/bin/time, best of RUNS (default 3). From about
# 1,500,000 records on, the names take more than the check keeps in memory and go to disk.
# usage: bench/dry_run.sh BEFORE AFTER   (two stencilor executables; AFTER defaults to
#        build/bench/stencilor)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
before=${1:?usage: bench/dry_run.sh BEFORE [AFTER]}
after=${2:-$top/build/bench/stencilor}
runs=${RUNS:-3}
records=${RECORDS:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/stencilor-dry.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$records" <<'PY'
import sys
d, records = sys.argv[1], int(sys.argv[2])
with open(d + "/m.csv", "w") as f:
    for start in range(0, records, 100000):
        f.write("".join("%s%07d;v%d\n" % ("REC" if i % 10 == 9 else "rec", i - (i % 10 == 9), i % 97)
                        for i in range(start, min(start + 100000, records))))
with open(d + "/t.txt", "w") as f:
    f.write("<p>%A% / %B%</p>\n")
with open(d + "/m.ql", "w") as f:
    f.write("[setup]\ndelim=;\ntextfile=m.csv\ntemplatefile=t.txt\noutputdir=%s/out\nnameFromFld=1\n"
            "FileNameFld=Field 1\nAddExt=1\nedExt=txt\nrulesCount=2\n[rules]\n"
            "ColFld1=Field 1\nColTemp1=%%A%%\nColFld2=Field 2\nColTemp2=%%B%%\n" % d)
PY

best() { # best BINARY ARGS...: the lowest time of RUNS runs, with its peak memory
    local bin=$1 best_s= best_kb=
    shift
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f '%e %M' -o "$work/time.txt" "$bin" "$@" >/dev/null 2>&1
        read -r s kb < <(tail -n 1 "$work/time.txt") # after a line naming a non-zero exit status
        if [ -z "$best_s" ] || awk "BEGIN { exit !($s < $best_s) }"; then
            best_s=$s best_kb=$kb
        fi
    done
    printf '%8s s %8.1f MB' "$best_s" "$(awk "BEGIN { print $best_kb / 1024 }")"
}

printf '%-22s %-24s %-24s\n' "$(printf "%'d" "$records") records" before after
for format in text json; do
    printf '%-22s %s   %s\n' "--dry-run --format $format" \
        "$(best "$before" --dry-run "$work/m.ql" --format "$format")" \
        "$(best "$after" --dry-run "$work/m.ql" --format "$format")"
done
