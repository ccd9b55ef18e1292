#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The recipes of examples/scale run as their schedulers would run them, on this machine, through
# stand-ins: GNU parallel over 4 parts (locally and through --sshlogin), a Slurm job array
# (a stand-in sbatch that runs each task with the variables Slurm gives it) and a Kubernetes
# Indexed Job (a stand-in controller that follows the Job's retry rules). Each merges its parts'
# manifests and must give exactly the files and report.html of one plain run of the same job.
# Parts fail on purpose (a stand-in stencilor fails a chosen part): the others go on, the merge
# names the failed part, and the rerun an operator makes first (parallel's --resume-failed, a
# Slurm array of one or two indices, the Job again) runs only those parts and merges.
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

# A stand-in for stencilor that logs the part it is asked to run and fails it while a fault
# file for the part says so ("STATUS TIMES": exit STATUS, TIMES more times).
faults=$work/faults
mkdir -p "$faults" "$work/bin"
cat >"$work/bin/stencilor" <<'SH'
#!/bin/bash
part=0
for ((i = 1; i < $#; i++)); do [ "${!i}" = --shard ] && { j=$((i + 1)); part=${!j%/*}; }; done
[ "$part" -gt 0 ] && echo "$part" >>"$FAULTS/ran"
if [ -f "$FAULTS/part-$part" ]; then
    read -r status times <"$FAULTS/part-$part"
    if [ "$times" -gt 0 ]; then
        echo "$status $((times - 1))" >"$FAULTS/part-$part"
        exit "$status"
    fi
fi
exec "$REAL_STENCILOR" "$@"
SH
chmod +x "$work/bin/stencilor"
export FAULTS=$faults REAL_STENCILOR=$bin
fault() { echo "$2 $3" >"$faults/part-$1"; } # fault PART STATUS TIMES
ran() { sort -n "$faults/ran" 2>/dev/null | tr '\n' ' ' | sed 's/ $//'; rm -f "$faults/ran"; } # the parts run since last asked

# GNU parallel on this machine: 4 parts into one output folder at once; part 3 fails the first
# time. The other parts still run (no halt), the merge names part 3, and running the script again
# runs part 3 alone (--resume-failed) and merges.
make_job "$work/par"
fault 3 1 1
(cd "$work/par" && STENCILOR=$work/bin/stencilor bash "$top/examples/scale/parallel.sh" job.ql 4 out manifests) \
    >"$work/par.log" 2>&1
check "parallel recipe: a failed part fails the script" test $? -eq 2 || cat "$work/par.log"
check "parallel recipe: the other parts run on" test "$(ran)" = "1 2 3 4"
check "parallel recipe: the merge names the failed part" grep -q 'part 3/4' "$work/par.log"
(cd "$work/par" && STENCILOR=$work/bin/stencilor bash "$top/examples/scale/parallel.sh" job.ql 4 out manifests) \
    >"$work/par.log" 2>&1
check "parallel recipe: the rerun merges" test $? -eq 0 || cat "$work/par.log"
check "parallel recipe: the rerun runs only the failed part" test "$(ran)" = 3
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

# A Slurm job array through a stand-in sbatch: it runs the job at once (an array task by task,
# with SLURM_ARRAY_TASK_ID and an array-sized SLURM_ARRAY_TASK_COUNT as Slurm sets them), logs
# each submission and each task's exit status, and prints the job id.
cat >"$work/bin/sbatch" <<'SH'
#!/bin/bash
array='' dependency='' exports=()
while [[ $1 == --* ]]; do
    case $1 in
    --array=*) array=${1#*=} ;;
    --dependency=*) dependency=${1#*=} ;;
    --export=ALL,*) IFS=, read -ra exports <<<"${1#--export=ALL,}" ;;
    esac
    shift
done
id=$((100 + $(cat "$SLURM_LOG" 2>/dev/null | grep -c '^job')))
echo "job $id array=$array dependency=$dependency" >>"$SLURM_LOG"
indices=()
for item in ${array//,/ }; do
    range=${item%%[:%]*} step=1
    [[ $item == *:* ]] && step=${item#*:} && step=${step%%%*}
    indices+=($(seq "${range%-*}" "$step" "${range#*-}"))
done
script=$1
shift
if [ ${#indices[@]} -eq 0 ]; then
    env "${exports[@]}" SLURM_JOB_ID=$id bash "$script" "$@" >"$SLURM_OUT/slurm-$id.out" 2>&1
    echo "task $id exit $?" >>"$SLURM_LOG"
fi
for index in "${indices[@]}"; do
    env "${exports[@]}" SLURM_JOB_ID=$id SLURM_ARRAY_JOB_ID=$id SLURM_ARRAY_TASK_ID=$index \
        SLURM_ARRAY_TASK_COUNT=${#indices[@]} bash "$script" "$@" >"$SLURM_OUT/slurm-${id}_$index.out" 2>&1
    echo "task ${id}_$index exit $?" >>"$SLURM_LOG"
done
echo "$id"
SH
chmod +x "$work/bin/sbatch"
slurm() { # slurm ARGS...: the recipe on a login node of the stand-in cluster
    (cd "$work/slurm" && PATH="$work/bin:$PATH" STENCILOR=$work/bin/stencilor SLURM_LOG=$work/slurm.log \
        SLURM_OUT=$work/slurm bash "$top/examples/scale/slurm-array.sh" "$@")
}
make_job "$work/slurm"
recipe=$top/examples/scale/slurm-array.sh

# The whole job with part 3 failing: the merge still runs after the array (afterany) and names it.
fault 3 1 1
slurm 4 job.ql out manifests >/dev/null
check "slurm recipe submits the array of every part" grep -q '^job 100 array=1-4 dependency=$' "$work/slurm.log"
check "slurm recipe: the merge waits for every task however it ends" grep -q '^job 101 array= dependency=afterany:100$' "$work/slurm.log"
check "slurm recipe: every part runs" test "$(ran)" = "1 2 3 4"
check "slurm recipe: the merge names the failed part" grep -q 'part 3/4' "$work/slurm/slurm-101.out"
check "slurm recipe: the merge fails" grep -q '^task 101 exit 2$' "$work/slurm.log"

# Part 3 rerun by hand with a single index: part 3 of the 4, whatever the array's size; the
# merge job by hand too.
(cd "$work/slurm" && PATH="$work/bin:$PATH" STENCILOR=$work/bin/stencilor SLURM_LOG=$work/slurm.log \
    SLURM_OUT=$work/slurm sbatch --array=3 "$recipe" 4 job.ql out manifests &&
    PATH="$work/bin:$PATH" STENCILOR=$work/bin/stencilor SLURM_LOG=$work/slurm.log SLURM_OUT=$work/slurm \
        sbatch --dependency=afterany:102 --export=ALL,STENCILOR_MERGE=1 "$recipe" 4 job.ql out manifests) >/dev/null
check "slurm recipe: --array=3 runs part 3 alone" test "$(ran)" = 3
check "slurm recipe: --array=3 runs part 3 of 4" grep -q '"part":3,"parts":4' "$work/slurm/manifests/part-3.jsonl"
check "slurm recipe: the merge after the rerun succeeds" grep -q '^task 103 exit 0$' "$work/slurm.log"
check "slurm recipe gives one run's files and report" diff -r "$work/one/out" "$work/slurm/out"

# Parts 2 and 4 rerun through the recipe's index list: exactly those two parts of the 4.
rm "$work/slurm/manifests/part-2.jsonl" "$work/slurm/manifests/part-4.jsonl" "$work/slurm/out/report.html"
slurm 4 job.ql out manifests 2,4 >/dev/null
check "slurm recipe: --array=2,4 runs parts 2 and 4" test "$(ran)" = "2 4"
check "slurm recipe: part 2 of 4, not of 2" grep -q '"part":2,"parts":4' "$work/slurm/manifests/part-2.jsonl"
check "slurm recipe: the merge after the two-index rerun succeeds" grep -q '^task 105 exit 0$' "$work/slurm.log"
check "slurm recipe gives one run's files and report after the rerun" diff -r "$work/one/out" "$work/slurm/out"

# Indices count from 1: index 0 (or one past the parts) is refused with a message, in the task
# and before anything is submitted.
(cd "$work/slurm" && SLURM_ARRAY_TASK_ID=0 STENCILOR=$work/bin/stencilor bash "$recipe" 4 job.ql out manifests) \
    2>"$work/slurm-0.err"
check "slurm recipe: array index 0 is a usage error" test $? -eq 64
check "slurm recipe: index 0 is explained" grep -q 'numbered 1 to 4' "$work/slurm-0.err"
check "slurm recipe: index 0 runs nothing" test ! -e "$faults/ran"
slurm 4 job.ql out manifests 0-3 >/dev/null 2>"$work/slurm-0.err"
check "slurm recipe: an index list with 0 is refused" test $? -eq 64
check "slurm recipe: nothing submitted for it" test "$(grep -c '^job' "$work/slurm.log")" -eq 6

# A Kubernetes Indexed Job through a stand-in controller: PARTS set once through envsubst, the
# container's command run for every index with JOB_COMPLETION_INDEX, each index retried on its own
# up to backoffLimitPerIndex and failed at once on an exit code the podFailurePolicy names.
k8s=$top/examples/scale/kubernetes
cat >"$work/controller.py" <<'PY'
import os, subprocess, sys, yaml
job = yaml.safe_load(sys.stdin)
job_spec = job["spec"]
container = job_spec["template"]["spec"]["containers"][0]
env = dict(os.environ)
env.update({e["name"]: e["value"] for e in container["env"]})
env.update(a.split("=", 1) for a in sys.argv[1:])
rules = job_spec.get("podFailurePolicy", {}).get("rules", [])
def action(status):
    for rule in rules:
        codes = rule.get("onExitCodes")
        if codes and codes.get("containerName", container["name"]) == container["name"]:
            if (status in codes["values"]) == (codes["operator"] == "In"):
                return rule["action"]
    return "Count"
failed = []
for index in range(job_spec.get("completions", 1)):
    failures = 0
    while True:
        status = subprocess.call(container["command"] + container["args"], env=dict(env, JOB_COMPLETION_INDEX=str(index)))
        if status == 0:
            break
        failures += 1
        if action(status) == "FailIndex" or failures > job_spec.get("backoffLimitPerIndex", 0):
            failed.append(index)
            break
print("failed indexes:", failed)
sys.exit(1 if failed else 0)
PY
make_job "$work/k8s"
kube() { # kube JOB_FILE: the Job of that file, with PARTS=3
    (cd "$work/k8s" && PARTS=3 envsubst '$PARTS' <"$k8s/$1" |
        python3 "$work/controller.py" PROJECT=job.ql OUTPUT=out MANIFESTS=manifests PATH="$work/bin:$PATH")
}
# Part 2 fails once with an error (retried), part 3 cannot start (exit 2: not retried).
fault 2 1 1
fault 3 2 5
kube parts-job.yaml >"$work/k8s.log" 2>&1
check "kubernetes recipe: the Job fails the index that cannot start" grep -q 'failed indexes: \[2\]' "$work/k8s.log"
check "kubernetes recipe: an error is retried, exit 2 is not" test "$(ran)" = "1 2 2 3"
kube merge-job.yaml >"$work/k8s.log" 2>&1
check "kubernetes recipe: the merge Job fails" test $? -eq 1
check "kubernetes recipe: the merge names the part" grep -q 'part 3/3' "$work/k8s.log"
check "kubernetes recipe: nothing is merged" test ! -e "$work/k8s/out/report.html"
rm "$faults/part-3"
kube parts-job.yaml >"$work/k8s.log" 2>&1 && kube merge-job.yaml >>"$work/k8s.log" 2>&1
check "kubernetes recipe: the Job made again merges" test $? -eq 0 || cat "$work/k8s.log"
check "kubernetes recipe gives one run's files and report" diff -r "$work/one/out" "$work/k8s/out"
# The image the Jobs name is the one the Dockerfile's build line makes, of this version.
version=$("$bin" --version | cut -d' ' -f2)
for file in parts-job.yaml merge-job.yaml; do
    check "kubernetes recipe: $file names the image of $version" grep -qx "  *image: registry.example/stencilor:$version" "$k8s/$file"
done
check "kubernetes recipe: the Dockerfile builds that image" grep -q "docker build -t registry.example/stencilor:$version " "$k8s/Dockerfile"

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

report_checks
