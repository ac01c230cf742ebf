#!/usr/bin/env bash
# Starts the program on a virtual X display, lets it run for a moment and writes
# a picture of the screen to docs/screenshot.png (or the file given). Needs Xvfb
# and imagemagick; builds nothing: run `make` first.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
display=${SCREENSHOT_DISPLAY:-:97}
Xvfb "$display" -screen 0 560x470x24 -nolisten tcp &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display ./build/driftmote &
app=$!
sleep "${SCREENSHOT_WAIT:-3}"
mkdir -p "$(dirname "$out")"
DISPLAY=$display import -window root "$out"
kill "$app"
wait "$app" 2>/dev/null || true
echo "wrote $out"
