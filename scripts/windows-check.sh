#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the window-free tool and its tests for 64-bit Windows with mingw-w64 and
# runs them under wine, with no display: the tests, every golden trajectory byte
# for byte on each step kernel the CPU has, pictures byte for byte against the
# Linux tool's, then the tool's Windows conventions (UTF-8 names, saves over a
# file, Ctrl+C, the progress line only on a console).
# Usage: scripts/windows-check.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows}
golden=$root/tests/data/golden
jobs=${JOBS:-$(nproc)}

if [ ! -f "$golden/runs.tsv" ]; then
  echo "windows-check: no golden trajectories in $golden" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/x86_64-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDRIFTMOTE_GUI=OFF -DDRIFTMOTE_BENCH=OFF \
  -DDRIFTMOTE_GOLDEN_DIR="$golden" >/dev/null
build=$(cd "$build" && pwd)
sim=$build/driftmote-sim.exe

# Wine's own prefix in the build folder, made on the first start (a few seconds),
# and one wine server for all the runs below; nothing may open a window.
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot -i >/dev/null 2>&1

# The test programs find their cases by running under wine as soon as they are built.
cmake --build "$build" -j "$jobs" --target driftmote-sim driftmote-sim-tests driftmote-session-tests driftmote-rules-tests \
  driftmote-snapshot-tests driftmote-tool-tests driftmote-fast-tests driftmote-render-tests driftmote-sim-picture-tests \
  driftmote driftmote-driver
file "$sim" | grep -q 'PE32+ executable.*x86-64' || { echo "windows-check: $sim is not a 64-bit Windows program" >&2; exit 1; }

# Now and then wine fails to start a test program at all (it ends within a few
# hundredths of a second without a line of its own); such a test is run once more.
# A test that fails by itself fails both times.
(cd "$build" && ctest -j "$jobs" --output-on-failure --repeat until-pass:2 -L 'sim|rules|tool|win32')

failed=0
fail() {
  echo "windows-check: $*" >&2
  failed=1
}

# Each golden file with the tool's arguments that make it, tab separated, on every
# kernel this CPU runs; a kernel it cannot run is said once and left out.
for kernel in plain avx2 avx512; do
  if DRIFTMOTE_KERNEL=$kernel wine "$sim" --frames 0 --print none 2>&1 >/dev/null | grep -q 'cannot run'; then
    echo "golden runs on $kernel: this CPU cannot run that kernel"
    continue
  fi
  DRIFTMOTE_KERNEL=$kernel "$root/scripts/golden-runs.sh" "on $kernel" wine "$sim" || fail "golden runs on $kernel"
done

"$root/scripts/compare-pictures.sh" "$build/pictures" wine "$sim" || fail "the pictures differ from the Linux tool's"

# The tool's ways on Windows, in a folder of their own.
work=$build/windows-check
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# A wrong kernel name is said first, under the tool's name.
said=$(DRIFTMOTE_KERNEL=bogus wine "$sim" --frames 1 --print 0 2>&1 >/dev/null)
[[ $said == "driftmote-sim: DRIFTMOTE_KERNEL=bogus is not one of"* ]] || fail "a wrong kernel name: '$said'"

# Lines end in LF alone, the help's too (the golden runs show it for the states).
wine "$sim" --help | grep -q $'\r' && fail "--help writes CR LF"

# A snapshot named in Greek letters: the name reaches the tool as UTF-8 and the
# file has that name; saved over, it holds the new state; saved and continued
# equals never interrupted.
greek='Ωμέγα.driftmote'
wine "$sim" --frames 10 --print none --save "$greek" >/dev/null || fail "save to $greek"
wine "$sim" --frames 60 --print none --save "$greek" >/dev/null || fail "save over $greek"
[ "$(ls)" = "$greek" ] || fail "the folder holds '$(ls | tr '\n' ' ')', not $greek alone"
wine "$sim" --load "$greek" --frames 40 --print none --save continued.driftmote >/dev/null || fail "load $greek"
wine "$sim" --frames 100 --print none --save whole.driftmote >/dev/null
cmp -s continued.driftmote whole.driftmote && echo "snapshot $greek: saved over, loaded, continues bit for bit" ||
  fail "60 frames saved to $greek and 40 more differ from 100 frames"

# `wine` may run a program under start.exe, which passes no signal on: the
# program's own process is the one whose command line starts with its Windows
# path (Z:\...). Its number, once it runs, found by the arguments that follow.
program_pid() {
  local pid
  for _ in $(seq 1 300); do
    pid=$(pgrep -f "^[A-Za-z]:.*driftmote-sim\.exe $1" | head -n 1)
    [ -n "$pid" ] && { echo "$pid"; return 0; }
    sleep 0.1
  done
  return 1
}
# SIGINT to the program. One still running 20 s later is killed, so that a signal
# that never arrives fails the check instead of filling the disk with frames.
interrupt() {
  kill -INT "$1" 2>/dev/null || true
  for _ in $(seq 1 100); do
    kill -0 "$2" 2>/dev/null || return 0
    sleep 0.2
  done
  kill -KILL "$1" "$2" 2>/dev/null || true
}

# Ctrl+C (wine turns SIGINT into the console's Ctrl+C event) between frames: every
# printed frame is whole, no --save is written, and the status is 130.
: >stopped.csv
wine "$sim" --num 300 --frames 2000000000 --print all --save stopped.driftmote >stopped.csv &
launcher=$!
program=$(program_pid "--num 300 ") || program=$launcher
until [ "$(wc -l <stopped.csv)" -gt 1000 ] || ! kill -0 "$launcher" 2>/dev/null; do sleep 0.2; done
interrupt "$program" "$launcher"
status=0
wait "$launcher" || status=$?
rows=$(($(wc -l <stopped.csv) - 1))
if [ "$status" -eq 130 ] && [ $((rows % 300)) -eq 0 ] && [ "$(tail -c 1 stopped.csv | od -An -c | tr -d ' ')" = '\n' ] &&
  ! ls stopped.driftmote* >/dev/null 2>&1; then
  echo "Ctrl+C between frames: status 130, $((rows / 300)) whole frames, no snapshot"
else
  fail "Ctrl+C between frames: status $status, $rows rows, $(ls stopped.driftmote* 2>/dev/null)"
fi

# Ctrl+C inside the scatter of two million particles ends the program at once.
# It is sent once the program has run a second on the processor, past wine's start.
wine "$sim" --num 2000000 --frames 1 --save scattered.driftmote >scattered.csv &
launcher=$!
program=$(program_pid "--num 2000000 ") || program=$launcher
until [ "$(awk '{print $14}' "/proc/$program/stat" 2>/dev/null || echo 1000)" -ge 100 ]; do sleep 0.2; done
interrupt "$program" "$launcher"
status=0
wait "$launcher" || status=$?
if [ "$status" -eq 130 ] && [ ! -s scattered.csv ] && ! ls scattered.driftmote* >/dev/null 2>&1; then
  echo "Ctrl+C in the scatter: status 130 at once, nothing written"
else
  fail "Ctrl+C in the scatter: status $status, $(wc -c <scattered.csv) bytes out"
fi

# The progress line shows on a console (wine makes one of a terminal) and not
# when stderr is a file.
long=(--num 2000 --frames 1500 --print none) # about two seconds: long enough for a progress line
script -qec "wine '$sim' ${long[*]}" /dev/null >console.txt 2>&1 || true
grep -q 'frames/s' console.txt && echo "progress line: shown on a console" || fail "no progress line on a console"
wine "$sim" "${long[@]}" >/dev/null 2>stderr.txt
[ ! -s stderr.txt ] && echo "progress line: none when stderr is a file" || fail "stderr in a file got '$(cat stderr.txt)'"

# The window, driven on a display of its own, and its installer.
(cd "$build" && cpack -G NSIS >/dev/null) || fail "the installer could not be made"
"$root/scripts/windows-window-check.sh" "$build" || failed=1

# The same programs for 32-bit Windows, run where wine can run them.
"$root/scripts/windows32-check.sh" "$build-32" || failed=1

exit $failed
