#!/usr/bin/env bash
# One job in PARTS parts run by GNU parallel, on this machine or on other machines over SSH,
# then the parts' manifests merged into one report.html.
#
# usage: parallel.sh PROJECT.ql PARTS OUTPUT MANIFESTS [PARALLEL OPTIONS...]
#   on this machine:    parallel.sh cards.ql 4 out manifests
#   over SSH:           parallel.sh cards.ql 40 out manifests --sshlogin 8/host1,8/host2 --workdir .
# Over SSH every host must see PROJECT, its inputs, OUTPUT and MANIFESTS under the same paths
# (a shared file system); STENCILOR names the program (default: stencilor on PATH).
# A part that failed or was killed is run again by running this script again: a part rewrites
# its files and its manifest.
set -euo pipefail
[ $# -ge 4 ] || { sed -n '2,12p' "$0" >&2; exit 64; }
project=$1 parts=$2 output=$3 manifests=$4
shift 4
stencilor=${STENCILOR:-stencilor}
mkdir -p "$manifests"
# Each part runs where parallel puts it; --halt stops the others when one fails.
parallel --halt now,fail=1 "$@" \
    "$stencilor" --run --quiet "$project" --shard {}/"$parts" --output "$output" \
    --manifest "$manifests"/part-{}.jsonl ::: $(seq "$parts")
"$stencilor" --merge-report --output "$output" "$manifests"/part-*.jsonl
