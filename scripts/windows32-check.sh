#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds driftmote.exe and driftmote-sim.exe for 32-bit Windows (x86) with
# mingw-w64 and, where wine can run 32-bit programs (Debian's wine32, which needs
# the i386 packages), runs every golden trajectory through the 32-bit tool and
# the driver through the 32-bit window. Where it cannot, it says plainly that they
# were built and not run: wine64 alone starts a 32-bit program and ends it at
# once with status 0, which must never be read as a pass.
# Run by scripts/windows-check.sh, which exports WINEPREFIX and keeps one wine server.
# Usage: scripts/windows32-check.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
golden=$root/tests/data/golden
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_BENCH=OFF -DDRIFTMOTE_TESTS=OFF >/dev/null
build=$(cd "$build" && pwd)
cmake --build "$build" -j "$jobs" --target driftmote-sim driftmote
for program in driftmote-sim driftmote; do
  file "$build/$program.exe" | grep -q 'PE32 executable.*Intel 80386' ||
    { echo "windows32-check: $build/$program.exe is not a 32-bit Windows program" >&2; exit 1; }
done

# A 32-bit program that really ran says its name.
if ! wine "$build/driftmote-sim.exe" --version 2>/dev/null | grep -q driftmote-sim; then
  echo "32-bit Windows: driftmote.exe and driftmote-sim.exe were built but NOT RUN: this wine cannot run"
  echo "32-bit programs (Debian's wine32 is not installed; it needs the i386 packages)"
  exit 0
fi

failed=0
while IFS=$'\t' read -r -a fields; do
  [ "${#fields[@]}" -gt 0 ] && [[ ${fields[0]} != '#'* ]] || continue
  name=${fields[0]}
  args=("${fields[@]:1}")
  if wine "$build/driftmote-sim.exe" "${args[@]}" | cmp -s - "$golden/$name"; then
    echo "golden $name on 32-bit Windows: identical"
  else
    echo "windows32-check: golden $name on 32-bit Windows: DIFFERS (driftmote-sim ${args[*]})" >&2
    failed=1
  fi
done <"$golden/runs.tsv"
exit $failed
