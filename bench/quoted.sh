#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs stencilor on a quoted copy of a benchmark scenario, for the shared harness:
#   STENCILOR_CMD="bench/quoted.sh {}" run_bench.sh --only limit,stencilor cards
# The copy has every field in double quotes (a quote inside doubled) and quotes=1, so the run
# must give the very bytes of the plain scenario while it reads quoted fields. The copy of the
# data is made once, beside it, and used by every later run. QUOTED=0 takes the same steps but
# runs the plain data, so that the two calls differ only in the quoting.
set -euo pipefail
project=$1
bin=${STENCILOR:-$(cd "$(dirname "$0")/.." && pwd)/build/bench/stencilor}
data=$(sed -n 's/^textfile=//p' "$project")
delim=$(sed -n 's/^delim=//p' "$project")
quoted="$data.quoted"
if [ ! -s "$quoted" ]; then
    python3 - "$data" "$quoted" "$delim" <<'PY'
import re, sys
src, dst, delim = sys.argv[1], sys.argv[2], sys.argv[3].encode()
text = open(src, 'rb').read()
out = []
for line, end in re.findall(rb'([^\r\n]*)(\r\n|\n|\r|$)', text):
    if not line and not end:
        continue
    fields = line.split(delim)
    out.append(delim.join(b'"' + f.replace(b'"', b'""') + b'"' for f in fields) + end)
open(dst + '.tmp', 'wb').write(b''.join(out))
PY
    mv "$quoted.tmp" "$quoted"
fi
copy="${project%.ql}.quoted.ql"
if [ "${QUOTED:-1}" = 0 ]; then
    sed -e "s|^textfile=.*|textfile=$data|" "$project" >"$copy"
else
    sed -e "s|^textfile=.*|textfile=$quoted|" -e 's|^\[setup\]$|[setup]\nquotes=1|' "$project" >"$copy"
fi
exec "$bin" --run "$copy" --quiet
