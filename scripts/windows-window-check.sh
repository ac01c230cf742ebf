#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window on Windows under wine, on an X display of the check's own (Xvfb):
# driftmote-driver's checks (texts, typing and the question, presets, pause and
# single frames, snapshots through the file dialog continued in the tool, Escape
# and the close box), the canvas as the screen shows it against the tool's picture
# of the same state, the frame rate at 67 and 2000 particles, and the installer's
# round trip (installed silently, a snapshot opened through its file type, removed
# leaving nothing). Run by scripts/windows-check.sh, which exports WINEPREFIX and
# keeps one wine server for the whole check.
# Usage: scripts/windows-window-check.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
sim=$build/driftmote-sim.exe
work=$build/window-check
rm -rf "$work"
mkdir -p "$work"

failed=0
fail() {
  echo "windows-window-check: $*" >&2
  failed=1
}
windows() { winepath -w "$1" 2>/dev/null; }

# Xvfb takes the first free display number and says which.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
until [ -s "$work/display" ] || ! kill -0 "$xvfb" 2>/dev/null; do sleep 0.1; done
[ -s "$work/display" ] || { echo "windows-window-check: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")
# The programs run on a desktop of their own on that display: the wine server may
# have started the usual desktop without one, for the programs before that need none.
# The desktop does not pass on a program's status: the driver's last line says it.
gui() { wine explorer /desktop=driftmote-check,1280x1024 "$@"; }
passed() { tr -d '\r' <"$1" | grep -qx '[0-9]* passed, 0 failed'; }

# The driver's checks; it writes the canvas it read from the screen to canvas.ppm.
gui "$(windows "$build/driftmote-driver.exe")" "$(windows "$build/driftmote.exe")" "$(windows "$sim")" \
  "$(windows "$work")" >"$work/driver.txt" 2>&1 || true
grep -E '^(ok|FAILED): |passed, ' "$work/driver.txt" | sed 's/^/driver: /'
passed "$work/driver.txt" || fail "the driver found faults (its output: $work/driver.txt)"

# The canvas as the screen showed it equals the tool's picture of the same state:
# the snapshot saved last, drawn at the canvas's size.
if [ -s "$work/canvas.ppm" ]; then
  size=$(sed -n 2p "$work/canvas.ppm" | tr ' ' x)
  if wine "$sim" --load "$work/Ωμέγα 10.driftmote" --frames 0 --print none --picture "$work/tool.png" --size "$size" \
    >/dev/null 2>&1; then
    drawn_by="driftmote-sim.exe"
  else
    drawn_by=""
    fail "driftmote-sim.exe wrote no picture of the saved state"
  fi
  if [ -n "$drawn_by" ]; then
    if convert "$work/tool.png" ppm:- | cmp -s - "$work/canvas.ppm"; then
      echo "canvas $size read from the screen: identical to the picture of $drawn_by"
    else
      fail "the canvas read from the screen differs from the picture of $drawn_by ($work/canvas.ppm, $work/tool.png)"
    fi
  fi
fi

# The frame rate, a figure for the record: 67 particles (the start) and 2000.
wine "$sim" --frames 0 --print none --save "$work/start.driftmote" >/dev/null
wine "$sim" --num 2000 --frames 0 --print none --save "$work/two-thousand.driftmote" >/dev/null
for snapshot in start two-thousand; do
  gui "$(windows "$build/driftmote-driver.exe")" --frame-rate "$(windows "$build/driftmote.exe")" \
    "$(windows "$work/$snapshot.driftmote")" 3 2>/dev/null | grep 'frame rate' || fail "no frame rate for $snapshot"
done

# The installer: silently in, a snapshot opened through its file type, silently out.
installer=$(ls "$build"/Driftmote-*-win64.exe 2>/dev/null | head -n 1)
if [ -z "$installer" ]; then
  fail "no installer in $build"
else
  folder="$WINEPREFIX/drive_c/Program Files/Driftmote"
  menu() { find "$WINEPREFIX/drive_c" -path '*Start Menu*' -iname '*driftmote*' 2>/dev/null; }
  keys() {
    for key in 'HKCR\.driftmote' 'HKCR\Driftmote.Snapshot' 'HKLM\Software\The Driftmote developers\Driftmote' \
      'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Driftmote'; do
      # The 64-bit view, which the 64-bit installer writes: `wine reg` may be the 32-bit reg.exe.
      if wine reg query "$key" /reg:64 >/dev/null 2>&1; then echo "$key"; fi
    done
  }
  wine "$installer" /S || fail "the installer failed"
  if [ -x "$folder/bin/driftmote.exe" ] && [ -f "$folder/bin/driftmote-sim.exe" ] && [ -n "$(menu)" ] &&
    [ "$(keys | wc -l)" -eq 4 ]; then
    echo "installed: $(ls "$folder/bin" | tr '\n' ' '), a Start menu entry, the .driftmote file type"
  else
    fail "the installation lacks a part: $(ls -R "$folder" 2>/dev/null | tr '\n' ' '); menu: $(menu); keys: $(keys)"
  fi
  gui "$(windows "$build/driftmote-driver.exe")" --open "$(windows "$work/start.driftmote")" 67 >"$work/open.txt" 2>&1 ||
    true
  grep -E '^(ok|FAILED): ' "$work/open.txt" | sed 's/^/installed window: /'
  passed "$work/open.txt" || fail "the installed window: $(cat "$work/open.txt")"
  wine "$folder/Uninstall.exe" /S || fail "the uninstaller failed"
  # The uninstaller runs on from a copy of itself, so that it can remove itself.
  for _ in $(seq 100); do [ -e "$folder" ] || break; sleep 0.2; done
  left="$( [ -e "$folder" ] && echo "$folder"; menu; keys)"
  [ -z "$left" ] && echo "uninstalled: nothing left" || fail "left after uninstalling: $left"
fi

exit $failed
