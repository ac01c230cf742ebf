#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Kills driftmote-sim with SIGKILL while it makes and saves a large snapshot, RUNS
# times (default 50), and checks after each kill that the target is whole (absent
# or a snapshot that loads) and that nothing else is left in its folder. Odd runs
# are killed at a random moment of the whole run, even runs at a random moment
# after the save has opened its new file, so that both the start and the save
# itself are hit.
#
#   scripts/kill-save-check.sh [path/to/driftmote-sim]     (default build/driftmote-sim)
set -euo pipefail

sim=${1:-build/driftmote-sim}
runs=${RUNS:-50}
[[ -x $sim ]] || { echo "kill-save-check: no program at $sim (build driftmote-sim first)" >&2; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
target=$dir/X.driftmote
args=(--num 200000 --frames 0 --print none --quiet --save "$target")

# How long one whole run takes here, for the random moments.
start=$(date +%s%N)
"$sim" "${args[@]}" >/dev/null
whole_run_ms=$((($(date +%s%N) - start) / 1000000))
rm -f "$target"

# The descriptor the save's first open (its folder) gets: the lowest one this
# shell does not hold (the program inherits those and holds no other once started).
first_free=3
while [[ -e /proc/$$/fd/$first_free ]]; do ((++first_free)); done
# True while the process holds the folder open: it is saving. Shell builtins only,
# as a save lasts some milliseconds.
saving() { [[ /proc/$1/fd/$first_free -ef $dir ]]; }

killed=0 killed_saving=0 finished=0 present=0 absent=0 failures=0
for ((run = 1; run <= runs; ++run)); do
    "$sim" "${args[@]}" >/dev/null &
    pid=$!
    if ((run % 2)); then
        sleep "$(awk -v ms=$((RANDOM % (whole_run_ms + whole_run_ms / 10 + 1))) 'BEGIN { print ms / 1000 }')"
    else
        until saving "$pid"; do
            kill -0 "$pid" 2>/dev/null || break
        done
        for ((spin = RANDOM % 4000; spin > 0; --spin)); do :; done # up to some 10 ms

    fi
    was_saving=0
    saving "$pid" && was_saving=1
    kill -KILL "$pid" 2>/dev/null || true
    status=0
    wait "$pid" 2>/dev/null || status=$?
    if ((status == 137)); then
        ((++killed))
        ((killed_saving += was_saving)) || true
    else
        ((++finished))
    fi
    if [[ -e $target ]]; then
        ((++present))
        if ! "$sim" --load "$target" --frames 0 --print none >/dev/null; then
            echo "run $run: $target is not a whole snapshot" >&2
            ((++failures))
        fi
    else
        ((++absent))
    fi
    left=$(find "$dir" -mindepth 1 ! -path "$target")
    if [[ -n $left ]]; then
        echo "run $run: left behind: $left" >&2
        ((++failures))
        find "$dir" -mindepth 1 ! -path "$target" -delete
    fi
done

echo "runs: $runs (one whole run: ${whole_run_ms} ms); killed: $killed, of them while saving: $killed_saving;" \
     "finished before the kill: $finished; afterwards the target was a whole snapshot $present times and" \
     "absent $absent times; failures: $failures"
((failures == 0))
