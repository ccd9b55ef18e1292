#!/usr/bin/env bash
# One part of a job per task of a Slurm job array. Submit with the number of parts as the array:
#   sbatch --array=1-40 slurm-array.sh cards.ql out manifests
#   sbatch --dependency=afterok:<array job id> --wrap "stencilor --merge-report --output out manifests/part-*.jsonl"
# Slurm numbers the tasks 1 to 40 (SLURM_ARRAY_TASK_ID) and tells each the count
# (SLURM_ARRAY_TASK_COUNT), which become --shard K/N. A requeued task reruns its part.
#SBATCH --job-name=stencilor
#SBATCH --cpus-per-task=2
set -euo pipefail
project=$1 output=$2 manifests=$3
mkdir -p "$manifests"
exec "${STENCILOR:-stencilor}" --run --quiet "$project" \
    --shard "$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT" --jobs "${SLURM_CPUS_PER_TASK:-1}" \
    --output "$output" --manifest "$manifests/part-$SLURM_ARRAY_TASK_ID.jsonl"
