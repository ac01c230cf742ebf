#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# web-check.sh BUILD_DIR: the checks of the page (make web-check), after make web.
# Every golden run under node on the SIMD and the plain kernel (web-goldens.sh),
# then the page in Debian's chromium against this machine's driftmote-sim
# (tests/web/browser-test.mjs, with puppeteer-core from npm at the version of
# tests/web/package-lock.json).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: web-check.sh BUILD_DIR}
jobs=${JOBS:-2}
mkdir -p "$build"
build=$(cd "$build" && pwd)

"$root/scripts/web-goldens.sh" "$build/simd/driftmote-sim.js" "$build/scalar/driftmote-sim.js"

# This machine's tool, without the window, tests or benchmarks: the one the other
# checks compare pictures with.
host=${HOST_BUILD:-$root/build-host}
cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_TESTS=OFF \
  -DDRIFTMOTE_BENCH=OFF -DDRIFTMOTE_VIDEO=OFF >/dev/null
cmake --build "$host" -j "$jobs" --target driftmote-sim >/dev/null

test=$build/browser-test
mkdir -p "$test"
cp "$root/tests/web/package.json" "$root/tests/web/package-lock.json" "$root/tests/web/browser-test.mjs" "$test/"
if ! cmp -s "$test/package-lock.json" "$test/node_modules/.package-lock-copy.json" 2>/dev/null; then
  (cd "$test" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$test/package-lock.json" "$test/node_modules/.package-lock-copy.json"
fi
node "$test/browser-test.mjs" "$build/driftmote.html" "$host/driftmote-sim" "$test/out"
