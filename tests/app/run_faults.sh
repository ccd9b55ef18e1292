#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The stencilor executable under faults it cannot prevent: killed outright at random moments
# (every file present, except at most the ones being written, is byte for byte a finished run's,
# and rerunning completes the job), interrupted by Ctrl-C at random moments (no file left
# incomplete, the report written), and a disk that fills up mid-run (the run stops with the
# "Cannot create file" error, the files written before stay whole and no partial file is left).
# Each with one writer and with two (--jobs 2), which may have two files in progress.
# usage: STENCILOR=path/to/stencilor run_faults.sh   (KILLS, SEED optional)
set -uo pipefail
bin=${STENCILOR:?set STENCILOR to the executable}
source "$(dirname "$0")/../check.sh"
now_ms() { date +%s%3N; }

seed=${SEED:-$RANDOM}
RANDOM=$seed
echo "random seed $seed (SEED=$seed reproduces the kill moments)"

# job DIR RECORDS BIG_RECORD: a data file of RECORDS records (record BIG_RECORD, when not 0, with
# a field of 200 kB), a template of about 4 kB that names each field several times, and a project
# per output folder: DIR/<name>.ql writes into DIR/<name>, files sorted into ten subfolders.
job() {
    python3 - "$@" <<'PY'
import sys
folder, records, big = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(folder + "/data.csv", "w") as f:
    for i in range(1, records + 1):
        value = "x" * 200000 if i == big else "value %d" % i
        f.write("rec%05d;group%d;%s\n" % (i, i % 10, value))
with open(folder + "/card.html", "w") as f:
    f.write("<html><body>\n" + "<p>%Id% in %Group%: %Value%</p>\n" * 120 + "</body></html>\n")
for name in ("ref", "out"):
    with open("%s/%s.ql" % (folder, name), "w") as f:
        f.write("[setup]\ndelim=;\ntextfile=data.csv\ntemplatefile=card.html\noutputdir=%s/%s\n"
                "nameFromFld=1\nFileNameFld=Field 1\nAddExt=1\nedExt=*.htm\nCopyDirFld=1\ndirectoryFile=Field 2\n"
                "report=1\nreport_fld=FileName;Field 3;\nrulesCount=4\n[rules]\nColFld1=Field 1\nColTemp1=%%Id%%\n"
                "ColFld2=Field 2\nColTemp2=%%Group%%\nColFld3=Field 3\nColTemp3=%%Value%%\n" % (folder, name))
PY
}

# compare_with_reference DIR [IN_PROGRESS]: every file under DIR/out equals DIR/ref's, except at
# most IN_PROGRESS (default 1) that are a beginning of it (the files being written). Sets
# $present and $torn.
compare_with_reference() {
    present=0
    torn=0
    local strangers=0 file
    while IFS= read -r -d '' file; do
        present=$((present + 1))
        local ref="$1/ref/${file#"$1/out/"}"
        if [ ! -f "$ref" ]; then
            strangers=$((strangers + 1))
        elif ! cmp -s "$file" "$ref"; then
            torn=$((torn + 1))
            # A torn file must at least be the first part of the finished one.
            cmp -s -n "$(stat -c %s "$file")" "$file" "$ref" || strangers=$((strangers + 1))
        fi
    done < <(find "$1/out" -type f ! -name report.html -print0 2>/dev/null)
    check "only files of a finished run" test "$strangers" -eq 0
    check "at most the files in progress are incomplete" test "$torn" -le "${2:-1}"
}

# Killed outright at random moments.
mkdir "$work/kill"
job "$work/kill" 3000 0
started=$(now_ms)
"$bin" --run --quiet "$work/kill/ref.ql"
check "reference run" test $? -eq 0
duration=$(($(now_ms) - started))
check "reference run writes every file" test "$(find "$work/kill/ref" -name '*.htm' | wc -l)" -eq 3000
mid_run=0
for round in $(seq "${KILLS:-8}"); do
    # Odd rounds kill outright; even rounds press Ctrl-C, which must finish the files in progress
    # and the report before the program ends. Rounds 1-2, 5-6, ... write with one job, the others
    # with two.
    signal=KILL
    [ $((round % 2)) -eq 0 ] && signal=INT
    jobs=$(((round - 1) / 2 % 2 + 1))
    rm -rf "$work/kill/out" "$work/kill/manifest.jsonl"
    "$bin" --run --quiet --jobs "$jobs" --manifest "$work/kill/manifest.jsonl" "$work/kill/out.ql" &
    pid=$!
    delay=$((RANDOM % (duration * 9 / 10 + 1)))
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -"$signal" "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    status=$?
    compare_with_reference "$work/kill" "$jobs"
    echo "SIG$signal after $delay ms with $jobs jobs: $present files present, $torn incomplete, exit status $status"
    [ "$present" -gt 0 ] && [ "$present" -lt 3000 ] && mid_run=$((mid_run + 1))
    # The manifest is whole lines up to the last finished record, and each record it says was
    # written has its complete file.
    check "the manifest is valid up to its last record" python3 - "$work/kill" <<'PY'
import json, os, sys
d = sys.argv[1]
if not os.path.exists(d + "/manifest.jsonl"):
    sys.exit(0)  # killed before the run began
lines = open(d + "/manifest.jsonl", "rb").read().split(b"\n")
assert lines[-1] == b"", "the last line is whole"
records = [json.loads(line) for line in lines[1:-1] if b'"record"' in line]
assert [r["record"] for r in records] == list(range(1, len(records) + 1)), "records in order"
for r in records:
    if r["status"] == "written":
        with open(os.path.join(d, "out", r["name"]), "rb") as got, open(os.path.join(d, "ref", r["name"]), "rb") as want:
            assert got.read() == want.read(), r["name"]
PY
    if [ "$signal" = INT ] && [ "$present" -lt 3000 ] && [ "$status" -ne 0 ]; then
        check "Ctrl-C exits 130" test "$status" -eq 130
        check "Ctrl-C finishes the files in progress" test "$torn" -eq 0
        check "Ctrl-C writes the report of the files written" \
            test "$(grep -c '<a href=' "$work/kill/out/report.html")" -eq "$present"
        check "Ctrl-C closes the report" bash -c "tail -c 9 '$work/kill/out/report.html' | grep -q '</HTML>'"
    fi
done
# Running the job again over what a kill left finishes it.
"$bin" --run --quiet "$work/kill/out.ql"
check "rerun after a kill exits 0" test $? -eq 0
check "rerun gives the finished run's files" diff -r -q -x report.html "$work/kill/out" "$work/kill/ref"

# A disk that fills up mid-run.
mkdir "$work/full"
job "$work/full" 60 40
"$bin" --run --quiet "$work/full/ref.ql"
check "full-disk reference run" test $? -eq 0
full_disk_checks() { # full_disk_checks NAME STATUS: the outcome of a run whose disk filled up
    check "$1: exit status 1" test "$2" -eq 1
    compare_with_reference "$work/full"
    check "$1: no incomplete file" test "$torn" -eq 0
    if [ -f "$work/full/out/report.html" ]; then
        check "$1: a report written is complete" bash -c "tail -c 9 '$work/full/out/report.html' | grep -q '</HTML>'"
    fi
}
export bin work
for jobs in 1 2; do
    # A file-size limit, as a quota sets one: the card with the 200 kB field does not fit. With
    # two jobs, cards after it that were in hand may be written as well.
    rm -rf "$work/full/out"
    prlimit --fsize=65536 "$bin" --run --quiet --jobs "$jobs" "$work/full/out.ql" 2>"$work/full/err"
    full_disk_checks "file-size limit, $jobs jobs" $?
    check "file-size limit, $jobs jobs: the error names the file and the reason" test "$(cat "$work/full/err")" = \
        "Cannot create file \"$work/full/out/group0/rec00040.htm\". File too large"
    check "file-size limit, $jobs jobs: the 39 cards before are there" \
        test "$(find "$work/full/out" -name 'rec000[0-3][0-9].htm' | wc -l)" -eq 39
    [ "$jobs" -eq 1 ] && check "file-size limit, 1 job: nothing after them" test "$present" -eq 39
    check "file-size limit, $jobs jobs: the report lists them" \
        test "$(grep -c '<a href=' "$work/full/out/report.html")" -eq 39
    # A real full disk: a small tmpfs, mounted in a mount namespace of this test alone, that
    # fills up after some twenty cards.
    rm -rf "$work/full/out"
    mkdir "$work/full/out"
    if unshare -m bash -c 'mount -t tmpfs -o size=160k tmpfs "$work/full/out"' 2>/dev/null; then
        jobs=$jobs unshare -m bash -c 'mount -t tmpfs -o size=160k tmpfs "$work/full/out" || exit 99
            "$bin" --run --quiet --jobs "$jobs" "$work/full/out.ql" 2>"$work/full/err"
            status=$?
            cp -r "$work/full/out" "$work/full/kept"
            exit $status'
        status=$?
        rm -rf "$work/full/out" && mv "$work/full/kept" "$work/full/out"
        full_disk_checks "full tmpfs, $jobs jobs" $status
        check "full tmpfs, $jobs jobs: the error is the system's" \
            grep -qE '^Cannot create file ".*/rec000[0-9]{2}\.htm"\. No space left on device$' "$work/full/err"
        check "full tmpfs, $jobs jobs: the disk held some cards" test "$present" -gt 5 -a "$present" -lt 39
        echo "full tmpfs, $jobs jobs: $present cards written before the disk was full"
    else
        echo "skipped: a full tmpfs (no mount namespace here); the file-size limit stands in for it"
    fi
done

report_checks
