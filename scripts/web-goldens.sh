#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every golden run under node, on each WebAssembly build of driftmote-sim given
# (web-goldens.sh build-web/simd/driftmote-sim.js build-web/scalar/driftmote-sim.js):
# the tool's output with each golden file's arguments (tests/data/golden/runs.tsv)
# must equal that file byte for byte. Each build first says which step kernel it runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
golden=$root/tests/data/golden
[ $# -gt 0 ] || { echo "usage: web-goldens.sh DRIFTMOTE-SIM.js..." >&2; exit 2; }
# Debian's node fetches by default through a module its emscripten output does not expect.
node=(node --no-experimental-fetch)

failed=0
for tool in "$@"; do
  [ -f "$tool" ] || { echo "web-goldens: $tool is missing (make web)" >&2; exit 1; }
  kernel=$("${node[@]}" "$tool" --num 5 --frames 1 --bench | sed -n 's/^kernel: \([a-z0-9]*\).*/\1/p')
  checked=0
  while IFS=$'\t' read -r -a fields; do
    [ "${#fields[@]}" -gt 0 ] && [[ ${fields[0]} != '#'* ]] || continue
    name=${fields[0]}
    if "${node[@]}" "$tool" "${fields[@]:1}" | cmp -s - "$golden/$name"; then
      echo "golden $name ($kernel kernel): identical"
    else
      echo "golden $name ($kernel kernel): DIFFERS (node $tool ${fields[*]:1})" >&2
      failed=1
    fi
    checked=$((checked + 1))
  done <"$golden/runs.tsv"
  files=$(find "$golden" -maxdepth 1 -name '*.csv' | wc -l)
  [ "$checked" -gt 0 ] && [ "$checked" -eq "$files" ] ||
    { echo "web-goldens: $checked runs in $golden/runs.tsv for $files golden files" >&2; exit 1; }
done
exit $failed
