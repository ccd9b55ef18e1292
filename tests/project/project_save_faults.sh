#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A project save killed at random moments, or made on a disk that is full, leaves the complete
# old or the complete new project file, never a mixture, and a failing save says why.
# usage: SAVER=path/to/stencilor_project_saver project_save_faults.sh   (KILLS, SEED optional)
set -uo pipefail
saver=${SAVER:?set SAVER to stencilor_project_saver}
source "$(dirname "$0")/../check.sh"

seed=${SEED:-$RANDOM}
RANDOM=$seed
echo "random seed $seed (SEED=$seed reproduces the kill moments)"
"$saver" expect "$work" || exit 1

# Saves killed at random moments: the project is always a or b whole, the settings file whole.
# Each kill waits for a number of finished saves (the saver prints a line after each), odd and
# even by turns, and then for a random moment into the next save: however slow the machine (a
# sanitizer build on a loaded one), the kills fall after a saves and after b saves alike.
mkdir "$work/kill"
project="$work/kill/p.ql"
settings="$work/kill/s.ini"
"$saver" loop "$project" "$settings" 1 >/dev/null
seen_a=0 seen_b=0 torn=0 round=0
for _ in $(seq "${KILLS:-25}"); do
    round=$((round + 1))
    saves=$((round % 2 + 1 + 2 * (RANDOM % 2)))
    "$saver" loop "$project" "$settings" >"$work/saves" &
    pid=$!
    while [ "$(wc -l <"$work/saves")" -lt "$saves" ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.01
    done
    sleep "0.0$((RANDOM % 90 + 10))"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    if cmp -s "$project" "$work/a.ql"; then
        seen_a=$((seen_a + 1))
    elif cmp -s "$project" "$work/b.ql"; then
        seen_b=$((seen_b + 1))
    else
        torn=$((torn + 1))
    fi
    check "settings file whole after a kill" test "$(cat "$settings")" = "$(printf '[total]\nlastprj=%s' "$project")"
done
leftovers=$(find "$work/kill" -name 'p.ql.*' | wc -l)
echo "kills: project a $seen_a times, b $seen_b times, torn $torn times; $leftovers kills fell inside a write"
check "a killed save never leaves a torn project" test "$torn" -eq 0
check "kills fell at different moments" test "$seen_a" -gt 0 -a "$seen_b" -gt 0

# A save onto a full disk fails with the reason and keeps the old project.
old=$'; by hand\n[setup]\ndelim=,\n'
full_disk() { # full_disk FOLDER: save into FOLDER, which has far less room than the project needs
    printf '%s' "$old" >"$1/p.ql"
    "$saver" loop "$1/p.ql" "$1/s.ini" 1 >/dev/null 2>"$work/full.err"
    echo $? >"$work/full.status"
    cp "$1/p.ql" "$work/full.ql"
    ls -A "$1" >"$work/full.listing"
}
expect_kept() { # expect_kept NAME FOLDER REASON
    check "$1: save fails" test "$(cat "$work/full.status")" -eq 1
    check "$1: reason" test "$(cat "$work/full.err")" = "cannot write file \"$2/p.ql\": $3"
    check "$1: old project kept" test "$(cat "$work/full.ql")" = "$(printf '%s' "$old")"
    check "$1: nothing else left" test "$(cat "$work/full.listing")" = "p.ql"
}
mkdir "$work/limited"
(ulimit -f 16 && full_disk "$work/limited")
expect_kept "file-size limit" "$work/limited" "File too large"

mkdir "$work/tmpfs"
export -f full_disk
export work old saver
if unshare -m bash -c 'mount -t tmpfs -o size=64k tmpfs "$work/tmpfs" && full_disk "$work/tmpfs"' 2>/dev/null; then
    expect_kept "full tmpfs" "$work/tmpfs" "No space left on device"
else
    echo "skipped: a full tmpfs (no mount namespace here); the file-size limit stands in for it"
fi

report_checks
