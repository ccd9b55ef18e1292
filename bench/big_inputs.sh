#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Big inputs: a 1 GB data file, a 50 MB single line, a line of 100,000 fields and a 100 MB
# template, each through `stencilor --check` and `stencilor --run` (the 1 GB file through
# `--dry-run` too) under /usr/bin/time -v.
# Prints the peak memory and the time of every command, and fails when a command crashes or its
# peak memory exceeds its bound plus MARGIN_MB (default 64):
#   --check  three times the longest line: the read buffer carries the line in progress, and
#            the sample line and the widest line are kept as copies (the file is read in blocks);
#   --run    the longest record (the data file is read in blocks), twice the template (as read
#            for the record and as compiled) and the largest generated file; the 1 GB file, with
#            the report on, within MARGIN_MB alone;
#   --dry-run of the 1 GB file: about 400 bytes per record, for the names it keeps to find
#            collisions; of data files of tiny records (100 MB and 1 GB, a name per record)
#            and of 10,000,000 names that all differ only in letter case: 256 MB, margin
#            included, the goal for a dry run of any size (the findings go to /dev/null);
#   window   (stencilor_window_bench, offscreen) the 1 GB file and the 100 MB of tiny records:
#            the Check within twice the dry run's goal, the data preview 24 bytes per record.
# The files go to a folder under TMPDIR (default /tmp) and are deleted afterwards; about 4 GB
# of free space are needed. CASES (default: all) names the cases to run, e.g.
# CASES="tiny100 case10m".
# usage: bench/big_inputs.sh   (STENCILOR=path/to/stencilor, default build/bench/stencilor)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin=${STENCILOR:-$top/build/bench/stencilor}
margin_mb=${MARGIN_MB:-64}
dry_run_goal=$((256 << 20)) # a dry run of any size stays below this, margin included
if [ ! -x "$bin" ]; then
    echo "big_inputs: $bin is missing (make bench-build)" >&2
    exit 2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/stencilor-big.XXXXXX")
trap 'rm -rf "$work"' EXIT

cases=${CASES:-gigabyte oneline wide template tiny100 tiny1g case10m window}
wanted() { [[ " $cases " == *" $1 "* ]]; }

echo "generating the inputs in $work ..."
python3 - "$work" "$cases" <<'PY'
import os, sys
d = sys.argv[1]
cases = sys.argv[2].split()
def project(name, data, template, rules, extra=""):
    with open("%s/%s.ql" % (d, name), "w") as f:
        f.write("[setup]\ndelim=;\ntextfile=%s\ntemplatefile=%s\noutputdir=%s/out-%s\n%s"
                "rulesCount=%d\n[rules]\n" % (data, template, d, name, extra, len(rules) + 1))
        for i, (field, ident) in enumerate(rules, 1):
            f.write("ColFld%d=Field %d\nColTemp%d=%s\n" % (i, field, i, ident))

with open(d + "/small.txt", "w") as f:
    f.write("<p>%A% / %B%</p>\n")

# Tiny records, each naming its own file: 100 MB and 1 GB of them (12 and 119 million records).
for name, size in (("tiny100", 100 << 20), ("tiny1g", 1 << 30)):
    if name not in cases and not (name == "tiny100" and "window" in cases):
        continue
    with open("%s/%s.csv" % (d, name), "w") as f:
        block = 100000
        for start in range(0, size // 9 + block, block):
            f.write("".join("%08x\n" % i for i in range(start, start + block)))
            if f.tell() >= size:
                break
    project(name, name + ".csv", "small.txt", [(1, "%A%")], "nameFromFld=1\nFileNameFld=Field 1\n")

# 10,000,000 names that differ only in letter case: the bits of the record's number choose which
# of 24 letters are capitals, so every name is new and each meets the first one's case-folded.
if "case10m" in cases:
    letters = "abcdefghijklmnopqrstuvwx"
    with open(d + "/case10m.csv", "w") as f:
        for start in range(0, 10000000, 100000):
            f.write("".join("".join(c.upper() if i >> k & 1 else c for k, c in enumerate(letters)) + "\n"
                            for i in range(start, start + 100000)))
    project("case10m", "case10m.csv", "small.txt", [(1, "%A%")], "nameFromFld=1\nFileNameFld=Field 1\n")

# 1 GB: 100,000 records of 10 kB, 100 fields each; each record writes a small file of its own.
if "gigabyte" in cases or "window" in cases:
    filler = ";".join("field%03d-" % k + "x" * 90 for k in range(99))
    with open(d + "/gigabyte.csv", "w") as f:
        for i in range(100000):
            f.write("rec%06d;%s\n" % (i, filler))
    project("gigabyte", "gigabyte.csv", "small.txt", [(1, "%A%"), (50, "%B%")],
            "nameFromTemp=1\nedTemp=g?.txt\nreport=1\nreport_fld=FileName;Field 1;Field 50;\n")

# 50 MB in one line without a line end: one record whose field 2 is nearly all of it.
if "oneline" in cases:
    with open(d + "/oneline.csv", "w") as f:
        f.write("head;" + "y" * (50 * 1024 * 1024) + ";tail")
    project("oneline", "oneline.csv", "small.txt", [(1, "%A%"), (2, "%B%")],
            "nameFromFld=1\nFileNameFld=Field 3\nAddExt=1\nedExt=htm\n")

# 100,000 fields in a line, five such lines; rules, file name and report reach the last field.
if "wide" in cases:
    with open(d + "/wide.csv", "w") as f:
        for i in range(5):
            f.write(";".join("r%dc%d" % (i, k) for k in range(1, 100001)) + "\n")
    project("wide", "wide.csv", "small.txt", [(1, "%A%"), (100000, "%B%")],
            "nameFromFld=1\nFileNameFld=Field 100000\nreport=1\nreport_fld=FileName;Field 99999;Field 100000;\n")

# 100 MB template with an identifier in every kilobyte, three records.
if "template" in cases:
    block = "<div>" + "t" * 1000 + " %Name% </div>\r\n"
    with open(d + "/big.html", "w") as f:
        for _ in range(100 * 1024 * 1024 // len(block)):
            f.write(block)
    with open(d + "/three.csv", "w") as f:
        f.write("Ann;1\nBob;2\nCid;3\n")
    project("template", "three.csv", "big.html", [(1, "%Name%")], "nameFromTemp=1\nedTemp=t?.html\n")
PY

status=0
printf '%-9s %-7s %10s %10s %10s %8s  %s\n' case command "input MB" "peak MB" "bound MB" "time s" result
mb() { awk "BEGIN { printf \"%.1f\", $1 / 1048576 }"; }
timed() { # timed CASE LABEL INPUT_BYTES BOUND_BYTES ALSO_OK OUT COMMAND...: one row of the table
    local name=$1 label=$2 input=$3 bound=$4 also_ok=$5 out=$6
    shift 6
    /usr/bin/time -v -o "$work/time.txt" "$@" >"$out" 2>"$work/err.txt"
    local code=$?
    local peak_kb elapsed
    peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
    elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt" |
        awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
    local bound_kb=$((bound / 1024 + margin_mb * 1024))
    local result=ok
    if [ "$code" -ne 0 ] && [ "$code" -ne "$also_ok" ]; then
        result="FAILED: exit status $code: $(head -c 200 "$work/err.txt")"
        status=1
    elif [ "$peak_kb" -gt "$bound_kb" ]; then
        result="FAILED: peak memory over the bound"
        status=1
    fi
    printf '%-9s %-7s %10s %10s %10s %8s  %s\n' "$name" "$label" "$(mb "$input")" "$(mb $((peak_kb * 1024)))" \
        "$(mb $((bound_kb * 1024)))" "$elapsed" "$result"
    rm -rf "$work/out-$name"
}
measure() { # measure CASE COMMAND INPUT_BYTES BOUND_BYTES
    # A dry run that lists findings exits 3; they go to /dev/null.
    if [ "$2" = dry-run ]; then
        timed "$1" "$2" "$3" "$4" 3 /dev/null "$bin" "--$2" "$work/$1.ql"
    else
        timed "$1" "$2" "$3" "$4" 0 "$work/out.txt" "$bin" "--$2" "$work/$1.ql"
    fi
}
size() { stat -c %s "$work/$1"; }

small=$(size small.txt)
if wanted gigabyte; then
    gigabyte=$(size gigabyte.csv)
    measure gigabyte check "$gigabyte" $((3 * gigabyte / 100000))
    measure gigabyte run "$gigabyte" 0
    measure gigabyte dry-run "$gigabyte" $((100000 * 400))
fi
if wanted oneline; then
    oneline=$(size oneline.csv)
    measure oneline check "$oneline" $((3 * oneline))
    measure oneline run "$oneline" $((oneline + 2 * small + oneline))
fi
if wanted wide; then
    wide=$(size wide.csv)
    measure wide check "$wide" $((3 * wide / 5))
    measure wide run "$wide" $((wide / 5 + 2 * small + 1024))
fi
if wanted template; then
    three=$(size three.csv) big=$(size big.html)
    measure template check "$three" $((3 * three))
    measure template run "$big" $((three + 2 * big + big))
fi
for name in tiny100 tiny1g case10m; do
    wanted $name && measure $name dry-run "$(size $name.csv)" $((dry_run_goal - margin_mb * 1048576))
done

# The window, offscreen: loading the project and its Check, and the data preview (its first
# screen, every record read, then the end of the file), with the longest time the window did not
# answer. The Check may take the dry run's memory and as much again for the window and its list
# of findings; the preview keeps 8 bytes per record of the file, and Qt's table view as many per
# row again for its row headers (and twice that while it grows their list).
measure_window() { # measure_window CASE WHAT INPUT_BYTES BOUND_BYTES ARGUMENTS...
    local name=$1 what=$2 input=$3 bound=$4
    shift 4
    timed "$name" "$what" "$input" "$bound" 0 "$work/out.txt" env QT_QPA_PLATFORM=offscreen "$window_bench" "$@"
    sed 's/^/    /' "$work/out.txt"
}
if wanted window; then
    window_bench=$(dirname "$bin")/bench/stencilor_window_bench
    for name in gigabyte tiny100; do
        records=$(wc -l <"$work/$name.csv")
        measure_window $name w-check "$(size $name.csv)" $((2 * dry_run_goal - margin_mb * 1048576)) \
            check "$work/$name.ql"
        measure_window $name preview "$(size $name.csv)" $((24 * records)) preview "$work/$name.csv" ";"
    done
fi
exit $status
