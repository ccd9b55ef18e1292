#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One job in PARTS parts as a Slurm job array, then the parts' manifests merged into one
# report.html.
#
# usage: slurm-array.sh PARTS PROJECT OUTPUT MANIFESTS [INDICES]
#   submit all 40 parts and the merge:      slurm-array.sh 40 cards.ql out manifests
#   rerun parts 2 and 5, then merge again:  slurm-array.sh 40 cards.ql out manifests 2,5
# PARTS is the one place that says how many parts the job has: array index K runs part K of
# PARTS (--shard K/PARTS), whatever the array's size, so a rerun of a few indices runs exactly
# those parts of the whole job. Indices count from 1, as --shard does; index 0 or one above PARTS
# is refused. INDICES is an sbatch --array list (default 1-PARTS).
#
# Run on a login node, the script submits the array and a merge job that starts when every task
# has ended, whether it succeeded or not (afterany): the merge checks the manifests itself, names
# every part that is missing or did not finish, and exits 2; rerun those parts and it merges.
# The same by hand, with PARTS set once (a single index, --array=2, reruns part 2 of 40):
#   PARTS=40
#   array=$(sbatch --parsable --array=1-$PARTS slurm-array.sh $PARTS cards.ql out manifests)
#   sbatch --dependency=afterany:$array --export=ALL,STENCILOR_MERGE=1 \
#       slurm-array.sh $PARTS cards.ql out manifests
# In an array task (SLURM_ARRAY_TASK_ID set) the script runs that part, with STENCILOR_MERGE=1 it
# merges, otherwise it submits. STENCILOR names the program (default: stencilor on PATH). A
# requeued task reruns its part, rewriting its files and its manifest.
#SBATCH --job-name=stencilor
#SBATCH --cpus-per-task=2
set -euo pipefail
[ $# -eq 4 ] || [ $# -eq 5 ] || { sed -n '2,11p' "$0" >&2; exit 64; }
parts=$1 project=$2 output=$3 manifests=$4 indices=${5:-1-$1}
if ! [[ $parts =~ ^[1-9][0-9]*$ ]]; then
    echo "slurm-array.sh: PARTS must be the job's number of parts (1 or more), not \"$parts\"" >&2
    exit 64
fi
stencilor=${STENCILOR:-stencilor}

if [ -n "${SLURM_ARRAY_TASK_ID:-}" ]; then
    part=$SLURM_ARRAY_TASK_ID
    if [ "$part" -lt 1 ] || [ "$part" -gt "$parts" ]; then
        echo "slurm-array.sh: array index $part is not a part of this $parts-part job: parts are" \
            "numbered 1 to $parts (sbatch --array=1-$parts)" >&2
        exit 64
    fi
    mkdir -p "$manifests"
    exec "$stencilor" --run --quiet "$project" --shard "$part/$parts" --jobs "${SLURM_CPUS_PER_TASK:-1}" \
        --output "$output" --manifest "$manifests/part-$part.jsonl"
fi

if [ "${STENCILOR_MERGE:-}" = 1 ]; then
    # The merge job: its exit status is the merge's (2 names every part to rerun).
    exec "$stencilor" --merge-report --output "$output" "$manifests"/part-*.jsonl
fi

# On a login node. Every index of the list must be a part: a wrong one is refused before
# anything is submitted (the list may have steps, 1-40:2, and a limit, 1-40%8).
for item in ${indices//,/ }; do
    range=${item%%[:%]*}
    for index in "${range%-*}" "${range#*-}"; do
        if ! [[ $index =~ ^[0-9]+$ ]] || [ "$index" -lt 1 ] || [ "$index" -gt "$parts" ]; then
            echo "slurm-array.sh: \"$item\" in INDICES is not a part of this $parts-part job: parts are" \
                "numbered 1 to $parts" >&2
            exit 64
        fi
    done
done
# The array, then the merge after it, however its tasks end.
array=$(sbatch --parsable --array="$indices" "$0" "$parts" "$project" "$output" "$manifests")
array=${array%%;*}
merge=$(sbatch --parsable --job-name=stencilor-merge --dependency=afterany:"$array" --export=ALL,STENCILOR_MERGE=1 \
    "$0" "$parts" "$project" "$output" "$manifests")
echo "parts $indices of $parts: job $array; merge: job ${merge%%;*}"
