#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# web-bench.sh BUILD_DIR: steps per second of driftmote-sim --bench at 350 and 2000
# particles, in one sitting: the WebAssembly SIMD and plain builds under node
# (BUILD_DIR/simd, BUILD_DIR/scalar) and this machine's own tool (BUILD_DIR/host) on
# its AVX2 kernel, one thread and its own choice of threads. A measurement for a
# quiet machine, not a test.
set -euo pipefail
build=${1:?usage: web-bench.sh BUILD_DIR}
node=(node --no-experimental-fetch)
root=$(cd "$(dirname "$0")/.." && pwd)
# This machine's tool as web-check.sh builds it.
cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_TESTS=OFF \
  -DDRIFTMOTE_BENCH=OFF -DDRIFTMOTE_VIDEO=OFF >/dev/null
cmake --build "$build/host" -j "${JOBS:-2}" --target driftmote-sim >/dev/null
steps() { "$@" | sed -n 's/^steps per second: //p'; }
kernel() { "$@" | sed -n 's/^kernel: //p'; }

printf '%-30s %12s %12s\n' "step" "350" "2000"
row() {
  local name=$1
  shift
  local small large
  small=$(steps "$@" --num 350 --frames 3000 --bench)
  large=$(steps "$@" --num 2000 --frames 150 --bench)
  printf '%-30s %12.1f %12.1f   (%s)\n' "$name" "$small" "$large" "$(kernel "$@" --num 2000 --frames 20 --bench)"
}
row "wasm SIMD128 (node)" "${node[@]}" "$build/simd/driftmote-sim.js"
row "wasm plain (node)" "${node[@]}" "$build/scalar/driftmote-sim.js"
# One thread: the tool keeps to it when the second one does not pay, and a page has no other.
row "native avx2, one core" env DRIFTMOTE_KERNEL=avx2 taskset -c 0 "$build/host/driftmote-sim"
row "native avx2" env DRIFTMOTE_KERNEL=avx2 "$build/host/driftmote-sim"
row "native, its best kernel" "$build/host/driftmote-sim"
