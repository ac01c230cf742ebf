#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes the same pictures with this machine's Linux tool, built without the
# window, and with another build's tool, and compares them byte for byte.
# COMMAND runs the other tool (under its emulator, for example) from WORK_DIR, where
# the pictures are written, so a program named in it needs a full path. Usage:
#   scripts/compare-pictures.sh WORK_DIR COMMAND...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$1
shift
host=${HOST_BUILD:-$root/build-host}
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_TESTS=OFF \
  -DDRIFTMOTE_BENCH=OFF -DDRIFTMOTE_VIDEO=OFF >/dev/null
cmake --build "$host" -j "$jobs" --target driftmote-sim >/dev/null

# The window's start at ratio 1, a swarm at 1.5 on an odd canvas, and a dense gas
# at 2 whose discs cross every edge.
runs=(
  "start|--frames 0"
  "preset2-1.5|--preset 2 --frames 30 --size 300x211 --scale 1.5"
  "gas-2|--preset 4 --num 600 --frames 40 --size 257x190 --scale 2"
)
rm -rf "$work"
mkdir -p "$work"
failed=0
for run in "${runs[@]}"; do
  name=${run%%|*}
  read -r -a args <<<"${run#*|}"
  if ! (cd "$work" && "$host/driftmote-sim" "${args[@]}" --print none --picture "$name-linux.png" &&
    "$@" "${args[@]}" --print none --picture "$name.png") >/dev/null; then
    echo "picture $name: a tool failed (driftmote-sim ${args[*]})" >&2
    failed=1
  elif cmp -s "$work/$name-linux.png" "$work/$name.png"; then
    echo "picture $name: identical to the Linux tool's ($(sha256sum <"$work/$name.png" | cut -c1-16)...)"
  else
    echo "picture $name: DIFFERS from the Linux tool's (driftmote-sim ${args[*]})" >&2
    failed=1
  fi
done
exit $failed
