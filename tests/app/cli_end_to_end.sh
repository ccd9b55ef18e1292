#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the built stencilor executable as a user would: the bundled example, the exit
# statuses, Ctrl-C as Stop, and byte equality with the shared peer script where it is present.
# usage: STENCILOR=path/to/stencilor cli_end_to_end.sh SOURCE_DIR
set -uo pipefail
top=$1
bin=${STENCILOR:?set STENCILOR to the executable}
source "$(dirname "$0")/../check.sh"

# A copy of the bundled example without the output that `make demo` leaves in it.
copy_example() {
    cp -r "$top/examples/cards" "$1"
    rm -rf "$1/out"
}

# The bundled example, run from its own folder as "make demo" does.
copy_example "$work/cards"
(cd "$work/cards" && "$bin" --run cards.ql) 2>"$work/demo.err"
status=$?
check "example exits 0" test "$status" -eq 0
check "example writes 300 cards" test "$(find "$work/cards/out" -name '*.htm' | wc -l)" -eq 300
check "example sorts cards into city folders" test -f "$work/cards/out/Москва/$(grep -m1 ';Москва;' "$work/cards/contacts.csv" | cut -d';' -f1).htm"
check "example writes the report" grep -q '</HTML>' "$work/cards/out/report.html"
check "summary line" grep -q '^300 files written, 0 records skipped, report.html written, ' "$work/demo.err"
check "no identifier left" bash -c "! grep -rl '%[A-Za-z]*%' '$work/cards/out' --include='*.htm'"

# The check before writing: the example's only findings are values holding "&" or "<", which its
# HTML template takes as markup (the project predates escapehtml and keeps its bytes); a dry run
# writes nothing.
copy_example "$work/drycards"
(cd "$work/drycards" && "$bin" --dry-run cards.ql) >"$work/dry.out" 2>"$work/dry.err"
check "example dry run exits 3" test $? -eq 3
check "no progress bar when stderr is no terminal" test ! -s "$work/dry.err"
# On a terminal the dry run shows its progress on stderr, as a run does, unless --quiet.
if command -v script >/dev/null; then
    (cd "$work/drycards" && script -qec "'$bin' --dry-run cards.ql >/dev/null" /dev/null) >"$work/dry.tty"
    check "progress bar on a terminal" grep -q '\] 100% 300/300' "$work/dry.tty"
    (cd "$work/drycards" && script -qec "'$bin' --dry-run --quiet cards.ql >/dev/null" /dev/null) >"$work/quiet.tty"
    check "no progress bar with --quiet" test ! -s "$work/quiet.tty"
    (cd "$work/drycards" && script -qec "'$bin' --check cards.ql >/dev/null" /dev/null) >"$work/check.tty"
    check "--check shows its progress on a terminal" grep -q '\] 100%' "$work/check.tty"
fi
(cd "$work/drycards" && "$bin" --check cards.ql) >/dev/null 2>"$work/check.err"
check "--check draws no progress bar when stderr is no terminal" test ! -s "$work/check.err"
markup=$(grep -c '[&<]' "$work/drycards/contacts.csv")
check "example dry run lists the values holding markup" diff \
    <(printf '300 records checked, %d findings\n' "$markup") <(tail -n 1 "$work/dry.out")
check "example dry run lists nothing else" test "$(grep -c '  markup in value  ' "$work/dry.out")" -eq "$markup"
check "dry run writes nothing" test ! -e "$work/drycards/out"
printf 'Ann;x\nann;y\n' >"$work/drycards/contacts.csv"
(cd "$work/drycards" && "$bin" --dry-run cards.ql) >"$work/dry2.out"
check "dry run with findings exits 3" test $? -eq 3
check "dry run lists the case collision" grep -q '^   2  same name ignoring case  ' "$work/dry2.out"

# A partial run writes and reports only the records asked for.
copy_example "$work/partcards"
(cd "$work/partcards" && "$bin" --run --records 11-15 cards.ql) 2>"$work/part.err"
check "partial run exits 0" test $? -eq 0
check "partial run writes five cards" test "$(find "$work/partcards/out" -name '*.htm' | wc -l)" -eq 5
check "partial run reports five rows" test "$(grep -c '^<TR>' "$work/partcards/out/report.html")" -eq 5
check "partial run summary" grep -q '^5 files written, 0 records skipped, report.html written, ' "$work/part.err"
"$bin" --run --records 5-2 "$work/partcards/cards.ql" 2>/dev/null
check "reversed range is a usage error" test $? -eq 64
rm -rf "$work/partcards/out"
(cd "$work/partcards" && "$bin" --run --quiet --jobs 2 --records 11-15 cards.ql)
check "partial run with two jobs writes five cards" test "$(find "$work/partcards/out" -name '*.htm' | wc -l)" -eq 5

# Many writers into many folders under a low limit of open files: the folder handles each writer
# keeps are sized from the limit, so no job size or job count runs out of them.
mkdir -p "$work/manyfolders"
seq 1 3000 | awk '{ printf "r%d;%d/%d\n", $1, $1 % 40, $1 % 1000 }' >"$work/manyfolders/d.csv"
echo '%N%' >"$work/manyfolders/t.txt"
printf '[setup]\ntextfile=d.csv\ntemplatefile=t.txt\noutputdir=out\nnameFromFld=1\nFileNameFld=Field 1\nCopyDirFld=1\ndirectoryFile=Field 2\nrulesCount=2\n[rules]\nColFld1=Field 1\nColTemp1=%%N%%\n' >"$work/manyfolders/p.ql"
for jobs in 1 16; do
    rm -rf "$work/manyfolders/out"
    (ulimit -n 256 && "$bin" --run --quiet --jobs "$jobs" "$work/manyfolders/p.ql") 2>"$work/manyfolders.err"
    check "$jobs jobs into 1,000 folders under ulimit -n 256 exit 0" test $? -eq 0 || cat "$work/manyfolders.err"
    check "$jobs jobs into 1,000 folders write every file" test "$(find "$work/manyfolders/out" -type f | wc -l)" -eq 3000
done

# The spreadsheet example: quoted fields over several lines, a header, a byte-order mark, values
# escaped for HTML, names made from two fields; its output is pinned byte for byte.
cp -r "$top/examples/spreadsheet" "$work/sheet"
rm -rf "$work/sheet/out"
(cd "$work/sheet" && "$bin" --run spreadsheet.ql) 2>/dev/null
check "spreadsheet example exits 0" test $? -eq 0
check "spreadsheet example output byte for byte" diff -r "$top/tests/app/expected/spreadsheet" "$work/sheet/out"
(cd "$work/sheet" && "$bin" --check spreadsheet.ql) >"$work/sheet.check" 2>"$work/sheet.check.err"
check "check adds the encoding line" test "$(sed -n 4p "$work/sheet.check")" = "encoding: UTF-8 (byte-order mark)"
check "check warns of nothing when the data is read as set" test ! -s "$work/sheet.check.err"
grep -v '^encoding=' "$work/sheet/spreadsheet.ql" >"$work/sheet/raw.ql"
(cd "$work/sheet" && "$bin" --check raw.ql) >"$work/raw.check" 2>"$work/raw.check.err"
check "check keeps three lines without the key" test "$(wc -l <"$work/raw.check")" -eq 3
check "check warns of the byte-order mark on stderr" grep -q '^warning: the data file starts with a byte-order mark' "$work/raw.check.err"
# One project serves other data and folders from a pipeline: --data - reads standard input.
(cd "$work" && "$bin" --run sheet/spreadsheet.ql --data - --output piped <"$work/sheet/contacts.csv") 2>/dev/null
check "--data - and --output" diff -r "$top/tests/app/expected/spreadsheet" "$work/piped"
# A project's own "-" is a file of that name beside it: standard input stays unread.
sed 's/^textfile=.*/textfile=-/' "$work/sheet/spreadsheet.ql" >"$work/sheet/dash.ql"
echo 'x,never,read' | (cd "$work/sheet" && "$bin" --run dash.ql --output dash-out) 2>"$work/dash.err"
check "a project's - is no standard input" test $? -eq 2
check "a project's - names the missing file" grep -q 'Text file is empty' "$work/dash.err"
# No input on standard input is an empty data file: nothing written, nothing lost, exit 0.
(cd "$work" && "$bin" --run sheet/spreadsheet.ql --data - --output empty-in </dev/null) 2>"$work/empty-in.err"
check "--data - without input exits 0" test $? -eq 0
check "--data - without input writes no file" test "$(find "$work/empty-in" -name '*.htm' | wc -l)" -eq 0
# A 100 MB quoted field (with line breaks and doubled quotes) reaches its file whole.
python3 - "$work/big.csv" <<'PY'
import sys
with open(sys.argv[1], "w", newline="") as f:
    f.write('Id,First,Last,Company,City,Email,Notes\r\n1,A,B,C,D,E,"')
    f.write(('x' * 99 + '\n') * (1 << 20))
    f.write('""end""",\r\n2,F,G,H,I,J,short\r\n')
PY
(cd "$work" && "$bin" --run sheet/spreadsheet.ql --data big.csv --output big-out) 2>/dev/null
check "a 100 MB quoted field runs" test $? -eq 0
check "a 100 MB quoted field reaches its file whole" test "$(grep -c '^x\{99\}$' "$work/big-out/B-A.htm")" -eq $(((1 << 20) - 1))
check "the record after it is its own" test -f "$work/big-out/G-F.htm"

"$bin" --check --output x "$work/sheet/spreadsheet.ql" 2>/dev/null
check "--output with --check is a usage error" test $? -eq 64

# Results for scripts: one JSON object on stdout, values byte for byte.
(cd "$work/sheet" && "$bin" --run spreadsheet.ql --output "$work/json-out" --format json) >"$work/run.json" 2>/dev/null
check "--format json run summary" python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert (d["outcome"], d["filesWritten"], d["report"], d["error"]) == ("completed", 5, "written", None), d' "$work/run.json"
(cd "$work/drycards" && "$bin" --dry-run cards.ql --format json) >"$work/dry.json"
check "--format json dry run exits 3" test $? -eq 3
check "--format json dry run counts by kind" python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
assert d["findingCount"] == len(d["findings"]) == sum(d["counts"].values()) == 3, d
assert d["findings"][-1]["kind"] == "same name ignoring case" and d["findings"][-1]["record"] == 2, d' "$work/dry.json"
"$bin" --check --format xml "$work/sheet/spreadsheet.ql" 2>/dev/null
check "--format other than text or json is a usage error" test $? -eq 64

# Exit statuses.
"$bin" --run "$work/missing.ql" 2>"$work/missing.err"
check "missing project exits 2" test $? -eq 2
check "missing project message" grep -qF "Cannot open file \"$work/missing.ql\". No such file or directory" "$work/missing.err"
"$bin" --run 2>/dev/null
check "usage error exits 64" test $? -eq 64
for bad in "--shard 0/4" "--shard 5/4" "--shard a/b" "--shard 1/2 --records 1-5" "--shard 1/2 --data -" \
    "--check --shard 1/2" "--dry-run --archive x.tar" "--archive"; do
    # shellcheck disable=SC2086 # the words of each case are separate arguments
    "$bin" --run $bad "$work/partcards/cards.ql" 2>/dev/null </dev/null
    check "$bad is a usage error" test $? -eq 64
done

# An archive on a full disk (a file-size limit here) names the archive and leaves none; one that
# would replace an input is refused.
(ulimit -f 64 && trap '' XFSZ && cd "$work/partcards" && "$bin" --run --quiet cards.ql --archive cards.tar) \
    2>"$work/full.err"
check "an archive that fills the disk exits 1" test $? -eq 1
check "the error names the archive" grep -qF "Cannot create file \"$work/partcards/cards.tar\". File too large" \
    "$work/full.err"
check "no part of the archive is left" test ! -e "$work/partcards/cards.tar"
cp "$work/partcards/contacts.csv" "$work/partcards/contacts.tar"
(cd "$work/partcards" && "$bin" --run --quiet cards.ql --data contacts.tar --archive contacts.tar) 2>"$work/own.err"
check "an archive over an input does not start" test $? -eq 2
check "the input is left as it was" cmp -s "$work/partcards/contacts.tar" "$top/examples/cards/contacts.csv"
# A reader that goes away (head here) ends a run into a pipe with a message and exit 1, not with
# a silent SIGPIPE.
(cd "$work/partcards" && "$bin" --run --quiet cards.ql --archive - 2>"$work/pipe.err" | head -c 1 >/dev/null
 exit "${PIPESTATUS[0]}")
check "a closed pipe ends the run with exit 1" test $? -eq 1
check "a closed pipe is said" grep -qF "Broken pipe" "$work/pipe.err"
# Without options the window opens (on the offscreen platform here) and stays until it is closed.
QT_QPA_PLATFORM=offscreen timeout 3 "$bin" "$work/cards/cards.ql" 2>/dev/null
check "window request opens the window" test $? -eq 124
# The window is a module beside the executable; without it the request says so and exits 2.
cp "$bin" "$work/alone"
QT_QPA_PLATFORM=offscreen "$work/alone" >/dev/null 2>"$work/alone.err"
check "a window module that is missing exits 2" test $? -eq 2
check "a window module that is missing is named" grep -q "^stencilor: the window cannot be opened: .*stencilor-window.so" "$work/alone.err"
# Without a display the window request says what to do instead of aborting in Qt.
for display in "" ":99"; do
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$bin" "$work/cards/cards.ql" >/dev/null 2>"$work/nodisplay.err"
    check "no display ('$display') exits 2" test $? -eq 2
    check "no display ('$display') says so in one line" test "$(wc -l <"$work/nodisplay.err")" -eq 1 -a -n "$(grep 'no display found.*stencilor --run PROJECT.ql' "$work/nodisplay.err")"
done
"$bin" --version | grep -qx 'stencilor 3.01'
check "version" test $? -eq 0
printf '[setup]\ndelim=;\ntextfile=nothing.csv\ntemplatefile=nothing.html\n' >"$work/noinput.ql"
"$bin" --run "$work/noinput.ql" 2>"$work/noinput.err"
check "missing inputs exit 2" test $? -eq 2
check "missing inputs message" diff <(printf 'Text file is empty: there is no file "%s"\nTemplate file is empty or not defined: there is no file "%s"\n' "$work/nothing.csv" "$work/nothing.html") "$work/noinput.err"

# A relative project path is taken against the working folder; the relative data, template and
# output paths inside the project against the project file's folder, wherever it is run from.
mkdir -p "$work/rel/sub/in" "$work/elsewhere"
printf 'x;y\n' >"$work/rel/sub/in/d.csv"
printf '%%A%%' >"$work/rel/sub/t.txt"
printf '[setup]\ntextfile=in/d.csv\ntemplatefile=t.txt\noutputdir=../out\nnameFromTemp=1\nedTemp=r?.txt\nreport=1\nrulesCount=2\n[rules]\nColFld1=Field 2\nColTemp1=%%A%%\n' >"$work/rel/sub/p.ql"
(cd "$work/rel" && "$bin" --run --quiet sub/p.ql)
check "relative project runs" test "$(cat "$work/rel/out/r1.txt")" = $'y\r'
rm -rf "$work/rel/out"
(cd "$work/elsewhere" && "$bin" --run --quiet ../rel/sub/p.ql && "$bin" --dry-run ../rel/sub/p.ql >/dev/null)
check "relative output folder is the project's, not the working folder's" test -f "$work/rel/out/r1.txt" -a -f "$work/rel/out/report.html"
check "nothing lands in the working folder" test -z "$(ls -A "$work/elsewhere")"

# Hostile values and a hostile output folder: nothing is written outside the output folder or
# through a link, the run's own inputs survive, and --dry-run says so beforehand.
# The output folder is the project's own folder.
mkdir -p "$work/host/d" "$work/elsewhere2"
printf 'secret' >"$work/elsewhere2/v2"
ln -s "$work/elsewhere2" "$work/host/sub"
ln -s "$work/elsewhere2/v2" "$work/host/d/v2"
printf '%%V%%' >"$work/host/t.txt"
printf 'x;sub\nv2;d\nt.txt;\ndata.csv;\np.ql;\nreport.html;\nlast;\n' >"$work/host/data.csv"
printf '[setup]\ntextfile=data.csv\ntemplatefile=t.txt\noutputdir=.\nnameFromFld=1\nFileNameFld=Field 1\nCopyDirFld=1\ndirectoryFile=Field 2\nreport=1\nreport_fld=FileName;\nrulesCount=2\n[rules]\nColFld1=Field 1\nColTemp1=%%V%%\n' >"$work/host/p.ql"
cp "$work/host/p.ql" "$work/host/p.ql.orig"
"$bin" --dry-run "$work/host/p.ql" >"$work/host.dry"
check "dry run lists the hostile records" test $? -eq 3
check "dry run: link in path" grep -q '^   1  symbolic link in path  sub/x ' "$work/host.dry"
check "dry run: link at the name" grep -q '^   2  replaces a link  *d/v2 ' "$work/host.dry"
check "dry run: own inputs" test "$(grep -c 'replaces an input' "$work/host.dry")" -eq 4
"$bin" --run --quiet "$work/host/p.ql"
check "hostile run completes" test $? -eq 0
check "nothing written through the folder link" test ! -e "$work/elsewhere2/x"
check "nothing written through the file link" test "$(cat "$work/elsewhere2/v2")" = secret
check "the file link is replaced by the file" test -f "$work/host/d/v2" -a ! -L "$work/host/d/v2"
check "the template survives" test "$(cat "$work/host/t.txt")" = '%V%'
check "the data file survives" grep -q '^last;$' "$work/host/data.csv"
check "the project survives" cmp -s "$work/host/p.ql" "$work/host/p.ql.orig"
check "later records use the real template" test "$(cat "$work/host/last")" = $'last\r'
check "report.html is the report" grep -q '</HTML>' "$work/host/report.html"
# An empty output folder never means the root; a second run into a folder in use does not start.
sed 's/^outputdir=.*$/outputdir=/' "$work/host/p.ql" >"$work/host/empty.ql"
"$bin" --run "$work/host/empty.ql" 2>"$work/empty.err"
check "empty output folder exits 2" test $? -eq 2
check "empty output folder message" diff <(printf 'Output folder is not set\n') "$work/empty.err"
# Inputs that are not regular files are refused at once.
sed 's/^templatefile=.*$/templatefile=\/dev\/zero/' "$work/host/p.ql" >"$work/host/zero.ql"
timeout 20 "$bin" --run --quiet "$work/host/zero.ql" 2>"$work/zero.err"
check "/dev/zero as template exits 1" test $? -eq 1
check "/dev/zero message" grep -qx 'Cannot open file "/dev/zero". Not a regular file' "$work/zero.err"
mkfifo "$work/host/fifo.csv"
sed 's/^textfile=.*$/textfile=fifo.csv/' "$work/host/p.ql" >"$work/host/fifo.ql"
timeout 20 "$bin" --run --quiet "$work/host/fifo.ql" 2>/dev/null
check "a FIFO as data is refused before the run, exit 2" test $? -eq 2
# Control bytes in names reach the terminal escaped.
printf '\033[2Jpwned\007;z\n\033[2Jpwned\007;z\n' >"$work/host/esc.csv"
sed 's/^textfile=.*$/textfile=esc.csv/' "$work/host/p.ql" >"$work/host/esc.ql"
"$bin" --dry-run "$work/host/esc.ql" >"$work/esc.out"
check "dry run shows control bytes escaped" grep -qF '\x1b[2Jpwned\x07' "$work/esc.out"
check "dry run prints no raw escape" bash -c "! grep -q $'\033' '$work/esc.out'"

# Ctrl-C, SIGTERM and SIGHUP stop after the record in progress, close the report and exit with
# 128 + the signal's number.
mkdir -p "$work/big"
python3 - "$work/big" <<'PY'
import sys
d = sys.argv[1]
with open(d + "/d.csv", "w") as f:
    for i in range(200000):
        f.write("r%d;v%d\n" % (i, i))
open(d + "/t.txt", "w").write("%A%\n")
open(d + "/p.ql", "w").write("[setup]\ntextfile=d.csv\ntemplatefile=t.txt\noutputdir=out\nnameFromFld=1\n"
    "FileNameFld=Field 1\nreport=1\nreport_fld=FileName;\nrulesCount=2\n[rules]\nColFld1=Field 2\nColTemp1=%A%\n")
PY
for signal in INT:130 TERM:143 HUP:129; do
    name=${signal%:*}
    expected=${signal#*:}
    rm -rf "$work/big/out"
    "$bin" --run "$work/big/p.ql" 2>"$work/big.err" &
    pid=$!
    for _ in $(seq 100); do
        [ -d "$work/big/out" ] && [ "$(find "$work/big/out" -maxdepth 1 -name 'r[0-9]*' | head -200 | wc -l)" -ge 200 ] && break
        sleep 0.05
    done
    kill -"$name" "$pid"
    wait "$pid"
    status=$?
    check "SIG$name exits $expected" test "$status" -eq "$expected"
    written=$(find "$work/big/out" -name 'r[0-9]*' | wc -l)
    check "SIG$name stops early" test "$written" -lt 200000
    check "SIG$name closes the report" bash -c "tail -c 21 '$work/big/out/report.html' | grep -q '^  </TABLE>'"
    check "SIG$name report rows match files" test "$(grep -c '<a href=' "$work/big/out/report.html")" -eq "$written"
    # The file in progress when the signal came is finished like every other: each r<N> holds v<N>.
    check "SIG$name leaves every file complete" python3 -c 'import os, sys
d = sys.argv[1]
sys.exit(any(open(os.path.join(d, f), "rb").read() != b"v%s\r\n" % f[1:].encode() for f in os.listdir(d) if f[0] == "r" and f[1:].isdigit()))' \
        "$work/big/out"
    check "SIG$name summary" grep -q 'stopped after' "$work/big.err"
done

# The same bytes as the shared peer script, where the shared benchmark folder is present, with
# one job and with two.
bench="$top/../shared/bench"
if [ -f "$bench/gen_scenario.py" ] && [ -f "$bench/peer_python.py" ]; then
    for scenario in cards heavy tiny; do
        python3 "$bench/gen_scenario.py" "$scenario" "$work/bench-$scenario" --quick --records 400 >/dev/null
        for jobs in 1 2; do
            "$bin" --run --quiet --jobs "$jobs" "$work/bench-$scenario/project.ql"
            mv "$work/bench-$scenario/out" "$work/bench-$scenario/ours-$jobs"
        done
        python3 "$bench/peer_python.py" "$work/bench-$scenario/project.ql"
        for jobs in 1 2; do
            check "$scenario matches the peer script, $jobs jobs" \
                diff -r -q "$work/bench-$scenario/ours-$jobs" "$work/bench-$scenario/out"
        done
    done
    # The benchmark's replay of a run's system calls writes what the run wrote.
    export BARE_CALLS_TOOL="$work/bare_calls"
    "$top/bench/bare_calls.sh" --prepare "$work/bench-cards/project.ql"
    sed "s|^outputdir=.*|outputdir=$work/bench-cards/bare|" "$work/bench-cards/project.ql" >"$work/bench-cards/bare.ql"
    "$top/bench/bare_calls.sh" "$work/bench-cards/bare.ql"
    check "the bare calls write the files of a run" diff -r -q "$work/bench-cards/ours-1" "$work/bench-cards/bare"
    sed 's/^report=1/report=0/' "$work/cards/cards.ql" >"$work/cards/noreport.ql"
    for jobs in 1 2; do
        rm -rf "$work/cards/out" "$work/cards/ours"
        (cd "$work/cards" && "$bin" --run --quiet --jobs "$jobs" noreport.ql && mv out ours &&
            python3 "$bench/peer_python.py" noreport.ql)
        check "example matches the peer script, $jobs jobs" diff -r -q "$work/cards/ours" "$work/cards/out"
    done
    # The report of a run with two jobs is the report of one, row for row.
    for jobs in 1 2; do
        rm -rf "$work/cards/out"
        (cd "$work/cards" && "$bin" --run --quiet --jobs "$jobs" cards.ql && mv out/report.html "report-$jobs.html")
    done
    check "the report is the same with two jobs" cmp -s "$work/cards/report-1.html" "$work/cards/report-2.html"
fi

report_checks
