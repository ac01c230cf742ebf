#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the program on a virtual X display of its own, lets it run for a moment
# and writes a picture of its window to docs/screenshot.png (or the file given).
# Needs Xvfb and imagemagick; builds nothing: run `make` first.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
# Xvfb picks a free display number and reports it on the descriptor given.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 800x640x24 -br -nolisten tcp 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
read -r -u "$fd" number
display=:$number
DISPLAY=$display ./build/driftmote &
app=$!
sleep "${SCREENSHOT_WAIT:-3}"
mkdir -p "$(dirname "$out")"
# The root is black, so trimming leaves just the window.
DISPLAY=$display import -window root -trim +repage "$out"
kill "$app"
wait "$app" 2>/dev/null || true
echo "wrote $out"
