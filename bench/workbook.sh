#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A sheet of ROWS rows (default 1,000,000) of numbers, names, dates, amounts, shares and cities as
# an .xlsx (names as shared strings, as the spreadsheet programs write them), an .ods and the same
# data as the delimited file the office suite would export: each read as a run reads it (twice
# through, see workbook_bench.cpp) under /usr/bin/time, three times each; prints the times, the
# median total of each and its ratio to the delimited file's, and the peak memory.
# usage: bench/workbook.sh [ROWS]   (after make bench-build; BENCH=path to stencilor_workbook_bench)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}
bench=${BENCH:-$top/build/bench/bench/stencilor_workbook_bench}
if [ ! -x "$bench" ]; then
    echo "workbook bench: $bench is missing (make bench-build)" >&2
    exit 2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/stencilor-workbook.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "writing $rows rows in $work ..."
python3 - "$work" "$rows" <<'PY'
import datetime, sys, zipfile
work, rows = sys.argv[1], int(sys.argv[2])
M = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
P = "http://schemas.openxmlformats.org/package/2006/relationships"
cities = ["Berlin", "Köln", "München", "Hamburg", "Zürich", "Wien", "Paris", "Lyon", "Roma", "Oslo"]
start = datetime.date(2000, 1, 1)

def cells(i):
    day = (start + datetime.timedelta(days=i % 9000))
    serial = (day - datetime.date(1899, 12, 30)).days
    return i, "Name %07d" % i, day, serial, i * 1000.25, (i % 1000) / 1000, cities[i % len(cities)]

with open(work + "/data.csv", "w", encoding="utf-8") as csv:
    csv.write("Id,Name,Date,Amount,Share,City\n")
    for i in range(1, rows + 1):
        n, name, day, _, amount, share, city = cells(i)
        csv.write('%d,%s,%s,"%s",%.1f%%,%s\n' % (n, name, day.isoformat(), "{:,.2f}".format(amount), share * 100, city))

strings = ["Id", "Name", "Date", "Amount", "Share", "City"] + cities
index = {s: k for k, s in enumerate(strings)}
sheet = ['<worksheet xmlns="%s"><sheetData><row r="1">' % M]
sheet += ['<c r="%s1" t="s"><v>%d</v></c>' % (c, k) for k, c in enumerate("ABCDEF")]
sheet.append("</row>")
names = []
for i in range(1, rows + 1):
    n, name, day, serial, amount, share, city = cells(i)
    r = i + 1
    names.append(name)
    sheet.append('<row r="%d"><c r="A%d"><v>%d</v></c><c r="B%d" t="s"><v>%d</v></c><c r="C%d" s="1"><v>%d</v></c>'
                 '<c r="D%d" s="2"><v>%r</v></c><c r="E%d" s="3"><v>%r</v></c><c r="F%d" t="s"><v>%d</v></c></row>'
                 % (r, r, n, r, len(strings) + i - 1, r, serial, r, amount, r, share, r, index[city]))
sheet.append("</sheetData></worksheet>")
sst = '<sst xmlns="%s">' % M + "".join("<si><t>%s</t></si>" % s for s in strings + names) + "</sst>"
with zipfile.ZipFile(work + "/data.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("[Content_Types].xml", '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
               '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.'
               'spreadsheetml.sheet.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<Relationships xmlns="%s"><Relationship Id="r" Type="%s/officeDocument" '
               'Target="xl/workbook.xml"/></Relationships>' % (P, R))
    z.writestr("xl/_rels/workbook.xml.rels", '<Relationships xmlns="%s"><Relationship Id="r1" Type="%s/worksheet" '
               'Target="worksheets/sheet1.xml"/><Relationship Id="r2" Type="%s/sharedStrings" Target="sharedStrings.xml"/>'
               '<Relationship Id="r3" Type="%s/styles" Target="styles.xml"/></Relationships>' % (P, R, R, R))
    z.writestr("xl/workbook.xml", '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Data" sheetId="1" r:id="r1"/>'
               '</sheets></workbook>' % (M, R))
    z.writestr("xl/styles.xml", '<styleSheet xmlns="%s"><numFmts><numFmt numFmtId="164" formatCode="yyyy-mm-dd"/>'
               '<numFmt numFmtId="165" formatCode="0.0%%"/></numFmts><cellXfs><xf numFmtId="0"/><xf numFmtId="164"/>'
               '<xf numFmtId="4"/><xf numFmtId="165"/></cellXfs></styleSheet>' % M)
    z.writestr("xl/sharedStrings.xml", sst)
    z.writestr("xl/worksheets/sheet1.xml", "".join(sheet))

O = 'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" ' \
    'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
content = ['<office:document-content %s><office:body><office:spreadsheet><table:table table:name="Data">' % O]
def p(value_type, text, value=None):
    attributes = ' office:value-type="%s"' % value_type + (' office:value="%s"' % value if value is not None else "")
    return '<table:table-cell%s><text:p>%s</text:p></table:table-cell>' % (attributes, text)
content.append("<table:table-row>" + "".join(p("string", s) for s in strings[:6]) + "</table:table-row>")
for i in range(1, rows + 1):
    n, name, day, serial, amount, share, city = cells(i)
    content.append("<table:table-row>" + p("float", n, n) + p("string", name) + p("date", day.isoformat())
                   + p("float", "{:,.2f}".format(amount), amount) + p("percentage", "%.1f%%" % (share * 100), share)
                   + p("string", city) + "</table:table-row>")
content.append('<table:table-row table:number-rows-repeated="%d"><table:table-cell table:number-columns-repeated="1024"/>'
               '</table:table-row></table:table></office:spreadsheet></office:body></office:document-content>' % (1048576 - rows - 1))
with zipfile.ZipFile(work + "/data.ods", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet")
    z.writestr("content.xml", "".join(content))
PY
ls -l "$work"

for kind in csv xlsx ods; do
    file=$work/data.$kind
    mode=workbook
    [ $kind = csv ] && mode=csv
    for run in 1 2 3; do
        /usr/bin/time -f "$kind peak memory: %M KB" "$bench" $mode "$file" 2>&1 | sed "s/^/$kind run $run: /"
    done
done | tee "$work/log"
python3 - "$work/log" <<'PY'
import re, statistics, sys
totals = {}
for line in open(sys.argv[1]):
    m = re.match(r"(\w+) run \d: \w+: .*total ([0-9.]+) s", line)
    if m:
        totals.setdefault(m.group(1), []).append(float(m.group(2)))
csv = statistics.median(totals["csv"])
for kind, values in totals.items():
    print("%s: median %.3f s, %.2fx the delimited file" % (kind, statistics.median(values), statistics.median(values) / csv))
PY

# The same data through whole runs, as a user runs them: a file a record written from the
# delimited file and from the .xlsx (RUNS=0 leaves them out; STENCILOR names the program). Each
# pair runs twice and the second round counts: a run's time is mostly the file system creating
# files, which is slower right after many were removed (as the first round's removals leave it),
# so every output stays until the end.
program=${STENCILOR:-$top/build/bench/stencilor}
if [ "${RUNS:-1}" = 1 ] && [ -x "$program" ]; then
    printf '<p>%%Name%% in %%City%%: %%Amount%%</p>\n' >"$work/t.html"
    for round in 1 2; do
        for kind in csv xlsx; do
            data=""
            [ $kind = csv ] && data=$'delim=,\nquotes=1\n'
            printf '[setup]\n%stextfile=data.%s\ntemplatefile=t.html\noutputdir=out-%s-%s\nnameFromFld=1\nFileNameFld=Field 1\nheader=1\nrulesCount=4\n[rules]\nColFld1=Field 2\nColTemp1=%%Name%%\nColFld2=Field 6\nColTemp2=%%City%%\nColFld3=Field 4\nColTemp3=%%Amount%%\n' \
                "$data" $kind $kind $round >"$work/$kind.ql"
            (cd "$work" && /usr/bin/time -f "%e %U %S" -o "$work/$kind.time" "$program" --run --quiet "$kind.ql")
            read -r wall user sys <"$work/$kind.time"
            echo "$kind run, round $round: $wall s ($user s user, $sys s system), $(find "$work/out-$kind-$round" -type f | wc -l) files"
        done
    done
    awk '{ t[FILENAME] = $1 } END { printf "xlsx run: %.2fx the delimited file'"'"'s\n", t[ARGV[2]] / t[ARGV[1]] }' \
        "$work/csv.time" "$work/xlsx.time"
fi
