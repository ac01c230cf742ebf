#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every golden run through one build of driftmote-sim: the tool's output with each
# golden file's arguments (tests/data/golden/runs.tsv, tab separated) must equal
# that file byte for byte. COMMAND is how the build is run (an emulator, wine, node
# and the tool); NOTE is said after each file's name ("on avx2", or nothing).
# Exits 1 when a run differs or the list and the files do not match.
# Usage: scripts/golden-runs.sh NOTE COMMAND...
set -euo pipefail
golden=$(cd "$(dirname "$0")/.." && pwd)/tests/data/golden
note=${1:+ $1}
shift
failed=0
checked=0
while IFS=$'\t' read -r -a fields; do
  [ "${#fields[@]}" -gt 0 ] && [[ ${fields[0]} != '#'* ]] || continue
  name=${fields[0]}
  if "$@" "${fields[@]:1}" | cmp -s - "$golden/$name"; then
    echo "golden $name$note: identical"
  else
    echo "golden $name$note: DIFFERS ($* ${fields[*]:1})" >&2
    failed=1
  fi
  checked=$((checked + 1))
done <"$golden/runs.tsv"
files=$(find "$golden" -maxdepth 1 -name '*.csv' | wc -l)
[ "$checked" -gt 0 ] && [ "$checked" -eq "$files" ] ||
  { echo "golden-runs: $checked runs in $golden/runs.tsv for $files golden files" >&2; exit 1; }
exit $failed
