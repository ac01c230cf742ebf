#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Records the window while a particle is dragged, as a user would, and says how
# smooth the video came out. On a virtual display of its own under openbox, the
# window opens a snapshot of COUNT particles (default 2000), a recording starts
# through the file dialog, the pointer drags a particle round a circle at 125
# moves a second for SECONDS (default 10), and the recording stops; the box at
# the stop is kept as a picture. It prints the video's frames, its length, its
# pictures a second, its largest gap, the pictures it lacks (what the box says),
# the processor time of each of the window's threads and of the X server over
# the drag, and the load average; OUT (default build/record-check) keeps the
# video, the picture of the box and three frames of the video.
#
#   scripts/record-check.sh [COUNT] [SECONDS] [OUT]
#
# Timings depend on the machine and on what else it runs: run it on a quiet one.
# Needs Xvfb, openbox, xdotool, x11-utils, imagemagick and ffmpeg (make
# record-check installs them); builds nothing: run `make` first.
set -uo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
seconds=${2:-10}
out=${3:-build/record-check}
for tool in Xvfb openbox xdotool xprop import ffprobe ffmpeg; do
  command -v "$tool" >/dev/null || { echo "record-check: $tool is missing (make record-check installs it)" >&2; exit 2; }
done
[[ -x build/driftmote && -x build/driftmote-sim ]] || { echo "record-check: build first (make)" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.mp4 "$out"/*.png

xvfb='' wm='' app=''
cleanup() { for p in $app $wm $xvfb; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; }
trap cleanup EXIT
fail() { echo "record-check: $*" >&2; exit 1; }

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null &
xvfb=$!
read -r -t 20 -u "$fd" number || fail "Xvfb did not start"
export DISPLAY=:$number
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

build/driftmote-sim --num "$count" --frames 0 --print none --save "$out/start.driftmote" >/dev/null ||
  fail "the tool could not write the snapshot"
build/driftmote "$out/start.driftmote" 2>"$out/stderr" &
app=$!
# More than 350 particles ask first: Yes is the default button.
if (( count > 350 )); then
  box=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" --name '^Watch out$' 2>/dev/null | head -n 1)
  [[ -n $box ]] || fail "the question before $count particles did not come"
  xdotool windowactivate --sync "$box" 2>/dev/null
  xdotool key Return
fi
win=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" --name '^Driftmote$' 2>/dev/null | head -n 1)
[[ -n $win ]] || fail "the window did not appear"
xdotool windowactivate --sync "$win" 2>/dev/null
eval "$(xdotool getwindowgeometry --shell "$win")"

# The drag: round a circle of 120 pixels about the canvas's middle, 125 moves a
# second, made before the recording starts so that making it costs nothing then.
cx=$((X + 260)) cy=$((Y + 225))
mapfile -t moves < <(awk -v n=$((seconds * 125)) -v cx=$cx -v cy=$cy 'BEGIN {
  for (i = 0; i < n; i++) { a = i * 0.02; printf "mousemove\n%d\n%d\nsleep\n0.008\n", cx + 120 * cos(a) - 120, cy + 120 * sin(a) } }')

xdotool key ctrl+shift+r
sleep 1.5
xdotool type --delay 10 "$out/recording.mp4"
xdotool key Return
sleep 1
threads() { for t in /proc/"$app"/task/*; do echo "$(basename "$t") $(cut -d' ' -f14,15 "$t/stat") $(cat "$t/comm")"; done; }
ticks_before=$(threads)
xvfb_before=$(cut -d' ' -f14,15 /proc/"$xvfb"/stat)
xdotool mousemove "$cx" "$cy" sleep 0.2 mousedown 1
start=$(date +%s.%N)
xdotool "${moves[@]}"
end=$(date +%s.%N)
xdotool mouseup 1
ticks_after=$(threads)
xvfb_after=$(cut -d' ' -f14,15 /proc/"$xvfb"/stat)
load=$(cut -d' ' -f1-3 /proc/loadavg)
xdotool key ctrl+shift+r
sleep 2
import -window root "$out/stop.png"
xdotool key Return
sleep 0.5
xdotool key Escape
wait "$app"
status=$?
app=''
[[ $status -eq 0 ]] || fail "the window ended with $status: $(head -c 400 "$out/stderr")"
[[ -s $out/recording.mp4 ]] || fail "no video in $out/recording.mp4"

hz=$(getconf CLK_TCK)
echo "record-check: $count particles, the drag took $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }') s, load average $load"
ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of csv=p=0 "$out/recording.mp4" |
  awk -F, '$1 != "" { t[++n] = $1 } END {
    gap = 0
    for (i = 2; i <= n; i++) if (t[i] - t[i - 1] > gap) gap = t[i] - t[i - 1]
    span = t[n] - t[1] + 1 / 60; slots = int(t[n] * 60 + 0.5) + 1
    printf "record-check: %d frames over %.2f s: %.1f pictures a second, the largest gap %.3f s, %d of %d pictures missing\n",
           n, span, n / span, gap, slots - n, slots }'
echo "record-check: processor time over the drag, in seconds (thread id, name):"
join <(sort <<<"$ticks_before") <(sort <<<"$ticks_after") |
  awk -v hz="$hz" '{ printf "  %6.2f  %s %s\n", ($5 + $6 - $2 - $3) / hz, $1, $4 }'
read -r u0 s0 <<<"$xvfb_before"
read -r u1 s1 <<<"$xvfb_after"
awk -v hz="$hz" -v d=$((u1 + s1 - u0 - s0)) 'BEGIN { printf "  %6.2f  the X server\n", d / hz }'
ffmpeg -v error -i "$out/recording.mp4" -vf "select=eq(n\,60)+eq(n\,300)+eq(n\,540)" -fps_mode passthrough \
  "$out/frame-%d.png" || true
echo "record-check: the video, the box at the stop (stop.png) and three frames are in $out"
