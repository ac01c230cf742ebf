#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every golden run under node, on each WebAssembly build of driftmote-sim given
# (web-goldens.sh build-web/simd/driftmote-sim.js build-web/scalar/driftmote-sim.js):
# the tool's output with each golden file's arguments (tests/data/golden/runs.tsv)
# must equal that file byte for byte. Each build first says which step kernel it runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || { echo "usage: web-goldens.sh DRIFTMOTE-SIM.js..." >&2; exit 2; }
# Debian's node fetches by default through a module its emscripten output does not expect.
node=(node --no-experimental-fetch)

failed=0
for tool in "$@"; do
  [ -f "$tool" ] || { echo "web-goldens: $tool is missing (make web)" >&2; exit 1; }
  kernel=$("${node[@]}" "$tool" --num 5 --frames 1 --bench | sed -n 's/^kernel: \([a-z0-9]*\).*/\1/p')
  "$root/scripts/golden-runs.sh" "($kernel kernel)" "${node[@]}" "$tool" || failed=1
done
exit $failed
