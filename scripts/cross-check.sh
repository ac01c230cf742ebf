#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the window-free tool and the simulation tests for another processor
# (64-bit Arm, or 32-bit x86 with its floats in SSE2), runs the tests under qemu
# and compares the tool's output with every golden trajectory and its pictures
# with the Linux tool's, byte for byte.
# Usage: scripts/cross-check.sh [BUILD_DIR] [arm64|i686]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${2:-arm64}
build=${1:-$root/build-$arch}
golden=$root/tests/data/golden
jobs=${JOBS:-$(nproc)}
case $arch in
  arm64) toolchain=aarch64-linux-gnu target=aarch64-linux-gnu emulator=qemu-aarch64 kind='ARM aarch64' ;;
  i686) toolchain=i686-linux-gnu target=i686-linux-gnu emulator=qemu-i386 kind='Intel 80386' ;;
  *) echo "cross-check: no processor '$arch' (arm64 or i686)" >&2; exit 2 ;;
esac
export QEMU_LD_PREFIX=/usr/$target

if [ ! -f "$golden/runs.tsv" ]; then
  echo "cross-check: no golden trajectories in $golden" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_BENCH=OFF \
  -DDRIFTMOTE_GOLDEN_DIR="$golden" >/dev/null
cmake --build "$build" -j "$jobs" --target driftmote-sim driftmote-sim-tests driftmote-session-tests driftmote-rules-tests driftmote-snapshot-tests \
  driftmote-tool-tests driftmote-fast-tests driftmote-render-tests driftmote-sim-picture-tests
build=$(cd "$build" && pwd)
file "$build/driftmote-sim" | grep -q "$kind" || { echo "cross-check: $build/driftmote-sim is not an $arch program" >&2; exit 1; }

# On 32-bit x86 every float operation of the simulation is an SSE2 one: the x87
# unit's arithmetic, whose wider intermediates round otherwise, appears nowhere
# in the program's own code.
if [ "$arch" = i686 ]; then
  x87=$(i686-linux-gnu-objdump -d --no-show-raw-insn "$build/driftmote-sim" |
    grep -cE '\sf(i?add|i?sub|i?subr|i?mul|i?div|i?divr|sqrt|prem1?|scale|sin|cos|ptan|patan|yl2x)p?\s' || true)
  [ "$x87" -eq 0 ] && echo "driftmote-sim for i686: no x87 arithmetic, every float in SSE2" ||
    { echo "cross-check: driftmote-sim for i686 has $x87 x87 arithmetic instructions" >&2; exit 1; }
fi

# Forcing a vector kernel by name is an x86-64 matter. The two largest comparisons
# of the fast step and scatter with the literal ones take minutes under the
# emulator and add nothing the smaller ones do not check on a plain-kernel machine.
(cd "$build" && ctest -j "$jobs" --output-on-failure -L 'sim|rules|tool' \
  -E 'FastStepChoice\.Environment\.|ThousandParticlesOverManySteps|TwoThousandInTheWindowsDisc')

failed=0
"$root/scripts/golden-runs.sh" "" "$emulator" "$build/driftmote-sim" || failed=1

"$root/scripts/compare-pictures.sh" "$build/pictures" "$emulator" "$build/driftmote-sim" || failed=1
exit $failed
