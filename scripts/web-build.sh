#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# web-build.sh BUILD_DIR: the page's two builds with Debian's emscripten, BUILD_DIR/simd
# for WebAssembly SIMD and BUILD_DIR/scalar without, each with the page's module and
# driftmote-sim for node; then the page with both modules in it, BUILD_DIR/driftmote.html.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: web-build.sh BUILD_DIR}
jobs=${JOBS:-2}
# Debian's emscripten runs its JavaScript tools with node and finds their modules here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
for kind in simd scalar; do
  simd=$([ "$kind" = simd ] && echo ON || echo OFF)
  emcmake cmake -S "$root" -B "$build/$kind" -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_WASM_SIMD=$simd >/dev/null
  cmake --build "$build/$kind" -j "$jobs" --target driftmote-module driftmote-sim
done
cmake -DSOURCE="$root/web" -DSIMD="$build/simd/driftmote-module.js" -DPLAIN="$build/scalar/driftmote-module.js" \
  -DOUT="$build/driftmote.html" -P "$root/web/Assemble.cmake"
echo "web-build: $build/driftmote.html, $(stat -c %s "$build/driftmote.html") bytes"
