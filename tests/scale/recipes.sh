#!/usr/bin/env bash
# The recipes of examples/scale run as their schedulers would run them, on this machine: GNU
# parallel over 4 parts (locally and through --sshlogin), a Slurm job array (SLURM_ARRAY_TASK_ID,
# SLURM_ARRAY_TASK_COUNT) and a Kubernetes Indexed Job (JOB_COMPLETION_INDEX, with one pod
# retried). Each merges its parts'
# manifests and must give exactly the files and report.html of one plain run of the same job.
# usage: STENCILOR=path/to/stencilor recipes.sh SOURCE_DIR
set -uo pipefail
top=$1
bin=${STENCILOR:?set STENCILOR to the executable}
source "$(dirname "$0")/../check.sh"
export STENCILOR="$bin"

# The job: 2,000 records with quoted fields spanning lines, subfolders and a report, in a folder
# of its own per recipe.
make_job() { # make_job DIR
    mkdir -p "$1"
    python3 - "$1" <<'PY'
import sys
d = sys.argv[1]
with open(d + "/data.csv", "w", newline="") as f:
    f.write("id,city,note\r\n")
    for i in range(1, 2001):
        note = '"line one\nline two, with a comma"' if i % 97 == 0 else "plain %d" % i
        f.write("r%04d,%s,%s\r\n" % (i, ["Oslo", "Zürich", "Москва"][i % 3], note))
open(d + "/t.html", "w").write("<p>%Id% in %City%: %Note%</p>\n")
open(d + "/job.ql", "w").write(
    "[setup]\ndelim=,\ntextfile=data.csv\ntemplatefile=t.html\noutputdir=out\nnameFromFld=1\nFileNameFld=Field 1\n"
    "AddExt=1\nedExt=*.htm\nCopyDirFld=1\ndirectoryFile=Field 2\nreport=1\nreport_fld=FileName;Field 2;Field 3;\n"
    "quotes=1\nheader=1\nescapehtml=1\nrulesCount=4\n[rules]\nColFld1=Field 1\nColTemp1=%Id%\n"
    "ColFld2=Field 2\nColTemp2=%City%\nColFld3=Field 3\nColTemp3=%Note%\n")
PY
}

make_job "$work/one"
"$bin" --run --quiet "$work/one/job.ql"
check "one plain run" test -f "$work/one/out/report.html"

# GNU parallel on this machine: 4 parts into one output folder at once.
make_job "$work/par"
(cd "$work/par" && bash "$top/examples/scale/parallel.sh" job.ql 4 out manifests) >"$work/par.log" 2>&1
check "parallel recipe runs" test $? -eq 0 || cat "$work/par.log"
check "parallel recipe gives one run's files and report" diff -r "$work/one/out" "$work/par/out"

# The same over --sshlogin: parallel hands each part to "ssh HOST -- COMMAND", here a stand-in
# for ssh that runs the command on this machine as a login would: from the home folder (parallel's
# --workdir . is relative to it) and with SHELL set to the login shell (parallel's remote side
# runs each part with $SHELL; unset, every part silently does nothing). So parallel's quoting for
# the remote side is what is tested, whatever environment the test itself runs in.
cat >"$work/fake-ssh" <<'SH'
#!/bin/sh
while [ $# -gt 0 ] && [ "$1" != "--" ]; do shift; done
shift
SHELL=$(getent passwd "$(id -u)" | cut -d: -f7)
export SHELL="${SHELL:-/bin/sh}"
cd "${HOME:-/}" && exec sh -c "$*"
SH
chmod +x "$work/fake-ssh"
make_job "$work/ssh"
(cd "$work/ssh" && bash "$top/examples/scale/parallel.sh" job.ql 4 out manifests \
    --ssh "$work/fake-ssh" --sshlogin 2/host1,2/host2 --workdir .) >"$work/ssh.log" 2>&1
check "parallel recipe over --sshlogin runs" test $? -eq 0 || cat "$work/ssh.log"
check "parallel recipe over --sshlogin gives one run's files and report" diff -r "$work/one/out" "$work/ssh/out"

# A Slurm job array of 4 tasks.
make_job "$work/slurm"
for task in 1 2 3 4; do
    (cd "$work/slurm" && SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_COUNT=4 bash "$top/examples/scale/slurm-array.sh" \
        job.ql out manifests)
done
(cd "$work/slurm" && "$bin" --merge-report --output out manifests/part-*.jsonl)
check "slurm recipe merges" test $? -eq 0
check "slurm recipe gives one run's files and report" diff -r "$work/one/out" "$work/slurm/out"

# A Kubernetes Indexed Job: the container's command from the manifest, for every index, with
# the pod of index 2 run twice as a retry would.
make_job "$work/k8s"
command=$(python3 -c 'import sys, yaml
job = yaml.safe_load(open(sys.argv[1]))
container = job["spec"]["template"]["spec"]["containers"][0]
print(container["args"][0])' "$top/examples/scale/k8s-indexed-job.yaml")
completions=$(python3 -c 'import sys, yaml; print(yaml.safe_load(open(sys.argv[1]))["spec"]["completions"])' \
    "$top/examples/scale/k8s-indexed-job.yaml")
for index in $(seq 0 $((completions - 1))) 2; do
    (cd "$work/k8s" && JOB_COMPLETION_INDEX=$index PARTS=$completions PROJECT=job.ql OUTPUT=out MANIFESTS=manifests \
        PATH="$(dirname "$bin"):$PATH" sh -c "$command")
done
(cd "$work/k8s" && "$bin" --merge-report --output out manifests/part-*.jsonl)
check "kubernetes recipe merges" test $? -eq 0
check "kubernetes recipe gives one run's files and report" diff -r "$work/one/out" "$work/k8s/out"

# Parts written as archives on standard output and unpacked into one folder, then merged: the
# same files and report as one run; the dry run of a part checks only its records.
make_job "$work/tar"
for part in 1 2 3; do
    (cd "$work/tar" && "$bin" --run --quiet job.ql --shard $part/3 --manifest part-$part.jsonl --archive - |
        tar -x -f - --one-top-level=out)
done
(cd "$work/tar" && "$bin" --merge-report --output out part-*.jsonl)
check "archived parts give one run's files and report" diff -r "$work/one/out" "$work/tar/out"
checked=$(cd "$work/tar" && "$bin" --dry-run --format json job.ql --shard 2/3 |
    python3 -c 'import json, sys; print(json.load(sys.stdin)["recordsChecked"])')
check "a part's dry run checks its records" test "$(grep -c '"status"' "$work/tar/part-2.jsonl")" = "$checked"

# A missing part is named and nothing is written.
rm -f "$work/k8s/manifests/part-3.jsonl" "$work/k8s/out/report.html"
(cd "$work/k8s" && "$bin" --merge-report --output out manifests/part-*.jsonl) 2>"$work/merge.err"
check "a missing part exits 2" test $? -eq 2
check "a missing part is named" grep -q 'part 3/4 is missing' "$work/merge.err"
check "nothing is merged" test ! -e "$work/k8s/out/report.html"

report_checks
