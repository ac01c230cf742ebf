#!/usr/bin/env bash
# Builds the window-free tool and the simulation tests for 64-bit Arm, runs the
# tests under qemu-aarch64 and compares the tool's output with every golden
# trajectory byte for byte. Usage: tools/cross-check.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-arm64}
golden=$root/tests/data/golden
jobs=${JOBS:-$(nproc)}
export QEMU_LD_PREFIX=/usr/aarch64-linux-gnu

if [ ! -f "$golden/README.md" ]; then
  echo "cross-check: no golden trajectories in $golden" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_BENCH=OFF \
  -DDRIFTMOTE_GOLDEN_DIR="$golden" >/dev/null
cmake --build "$build" -j "$jobs" --target driftmote-sim driftmote_sim_tests driftmote_uicore_tests \
  driftmote_tool_tests driftmote-fast-tests
file "$build/driftmote-sim" | grep -q 'ARM aarch64' || { echo "cross-check: $build/driftmote-sim is not an arm64 program" >&2; exit 1; }

# Forcing a vector kernel by name is an x86-64 matter; every other test runs.
(cd "$build" && ctest -j "$jobs" --output-on-failure -L 'sim|tool' -E 'FastStepChoice\.Environment\.')

# The arguments of each golden run, as its README gives them (after the window's start).
declare -A runs=(
  [startup.csv]="--frames 100 --print 0,1,2,10,100"
  [preset1.csv]="--preset 1 --frames 10 --print 0,1,10"
  [preset2.csv]="--preset 2 --frames 200 --print 0,1,200"
  [preset3.csv]="--preset 3 --frames 200 --print 0,1,200"
  [preset4.csv]="--preset 4 --frames 200 --print 0,1,200"
  [count400.csv]="--num 400 --frames 12 --print 0,12"
  [nonfinite.csv]="--attraction 3e38 --repulsion 3e38 --frames 3 --print 1,3"
  [texts.csv]=$'--num\n 12abc\n--attraction\n0x10\n--repulsion\n+.5e-5x\n--friction\nnan\n--frames\n20\n--print\n20'
)
failed=0
checked=0
for file in "$golden"/*.csv; do
  name=$(basename "$file")
  if [ -z "${runs[$name]+set}" ]; then
    echo "cross-check: no run arguments known for $name" >&2
    failed=1
    continue
  fi
  # Arguments are one per line when one holds a space, else space separated.
  if [[ ${runs[$name]} == *$'\n'* ]]; then mapfile -t args <<<"${runs[$name]}"; else read -ra args <<<"${runs[$name]}"; fi
  if qemu-aarch64 "$build/driftmote-sim" "${args[@]}" | cmp -s - "$file"; then
    echo "golden $name: identical"
  else
    echo "golden $name: DIFFERS (driftmote-sim ${args[*]})" >&2
    failed=1
  fi
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || { echo "cross-check: no golden files in $golden" >&2; exit 1; }
exit $failed
