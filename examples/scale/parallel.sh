#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One job in PARTS parts run by GNU parallel, on this machine or on other machines over SSH,
# then the parts' manifests merged into one report.html.
#
# usage: parallel.sh PROJECT.ql PARTS OUTPUT MANIFESTS [PARALLEL OPTIONS...]
#   on this machine:    parallel.sh cards.ql 4 out manifests
#   over SSH:           parallel.sh cards.ql 40 out manifests --sshlogin 8/host1,8/host2 --workdir .
# Parts run one per core at once (-j 100%; give -j N to change it; with --sshlogin N/host, N on
# each host). Over SSH every host must see PROJECT, its inputs, OUTPUT and MANIFESTS under the
# same paths (a shared file system); STENCILOR names the program (default: stencilor on PATH).
# A part that fails does not stop the others, and the merge names every part that is missing or
# did not finish. Running the script again with the same arguments runs only the parts that
# failed or never ran (parallel's --resume-failed with the job log MANIFESTS/parallel-PARTS.log);
# remove that log to run the whole job again.
set -euo pipefail
[ $# -ge 4 ] || { sed -n '2,14p' "$0" >&2; exit 64; }
project=$1 parts=$2 output=$3 manifests=$4
shift 4
stencilor=${STENCILOR:-stencilor}
mkdir -p "$manifests"
# The job log of this part count: a job with another PARTS starts afresh.
status=0
parallel -j 100% --joblog "$manifests/parallel-$parts.log" --resume-failed "$@" \
    "$stencilor" --run --quiet "$project" --shard {}/"$parts" --output "$output" \
    --manifest "$manifests"/part-{}.jsonl ::: $(seq "$parts") || status=$?
if [ "$status" -ne 0 ]; then
    echo "parallel.sh: parts failed (parallel exited $status); running the script again reruns them" >&2
fi
# The merge decides: it names every part that is missing or did not finish.
"$stencilor" --merge-report --output "$output" "$manifests"/part-*.jsonl || exit
# A part that reported an error (exit 1) may still have written a complete manifest.
[ "$status" -eq 0 ] || exit 1
