#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the window-free tool and the simulation tests for 64-bit Arm, runs the
# tests under qemu-aarch64 and compares the tool's output with every golden
# trajectory and its pictures with the Linux tool's, byte for byte.
# Usage: scripts/cross-check.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-arm64}
golden=$root/tests/data/golden
jobs=${JOBS:-$(nproc)}
export QEMU_LD_PREFIX=/usr/aarch64-linux-gnu

if [ ! -f "$golden/runs.tsv" ]; then
  echo "cross-check: no golden trajectories in $golden" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_BENCH=OFF \
  -DDRIFTMOTE_GOLDEN_DIR="$golden" >/dev/null
cmake --build "$build" -j "$jobs" --target driftmote-sim driftmote-sim-tests driftmote-session-tests driftmote-rules-tests driftmote-snapshot-tests \
  driftmote-tool-tests driftmote-fast-tests driftmote-render-tests driftmote-sim-picture-tests
build=$(cd "$build" && pwd)
file "$build/driftmote-sim" | grep -q 'ARM aarch64' || { echo "cross-check: $build/driftmote-sim is not an arm64 program" >&2; exit 1; }

# Forcing a vector kernel by name is an x86-64 matter. The two largest comparisons
# of the fast step and scatter with the literal ones take minutes under the
# emulator and add nothing the smaller ones do not check on a plain-kernel machine.
(cd "$build" && ctest -j "$jobs" --output-on-failure -L 'sim|rules|tool' \
  -E 'FastStepChoice\.Environment\.|ThousandParticlesOverManySteps|TwoThousandInTheWindowsDisc')

# Each golden file with the tool's arguments that make it, tab separated.
failed=0
checked=0
while IFS=$'\t' read -r -a fields; do
  [ "${#fields[@]}" -gt 0 ] && [[ ${fields[0]} != '#'* ]] || continue
  name=${fields[0]}
  args=("${fields[@]:1}")
  if qemu-aarch64 "$build/driftmote-sim" "${args[@]}" | cmp -s - "$golden/$name"; then
    echo "golden $name: identical"
  else
    echo "golden $name: DIFFERS (driftmote-sim ${args[*]})" >&2
    failed=1
  fi
  checked=$((checked + 1))
done <"$golden/runs.tsv"
files=$(find "$golden" -maxdepth 1 -name '*.csv' | wc -l)
[ "$checked" -gt 0 ] && [ "$checked" -eq "$files" ] ||
  { echo "cross-check: $checked runs in $golden/runs.tsv for $files golden files" >&2; exit 1; }

"$root/scripts/compare-pictures.sh" "$build/pictures" qemu-aarch64 "$build/driftmote-sim" || failed=1
exit $failed
