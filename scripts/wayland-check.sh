#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window on Wayland: starts weston headless (pixman, output scale 2) with a
# socket of its own, runs the program on Qt's wayland platform, and checks
#  - that it draws: a screenshot (weston-screenshooter) shows the particles on the
#    canvas, every lone disc drawn alike (scripts/disc-census.py);
#  - that the frame loop rests while the compositor does not show the window.
#    Weston is started with a short idle time: with no input it puts its output
#    to sleep and stops drawing, as it does for a window it hides; Qt then marks
#    the window not exposed. The program's DRIFTMOTE_FRAME_LOG records the loop
#    starting to rest, with the frames run so far; the check then reads the
#    process's CPU time from /proc over a few seconds of rest and fails when it
#    used more than a small share of it, or when the loop resumed meanwhile.
# Needs weston and qt6-wayland (make wayland-check installs them); builds nothing.
# DRIFTMOTE=path runs another build of the window; WAYLAND_CHECK_KEEP=dir keeps
# the screenshot and the logs there.
set -euo pipefail
cd "$(dirname "$0")/.."
app_path=${DRIFTMOTE:-./build/driftmote}
[[ -x $app_path ]] || { echo "wayland-check: $app_path not found; build it first (make build)" >&2; exit 2; }
for tool in weston weston-screenshooter convert /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "wayland-check: $tool is missing (make wayland-check installs it)" >&2; exit 2; }
done

idle=8        # seconds without input before weston's output sleeps
rest_window=3 # seconds of rest over which the CPU time is read
work=$(mktemp -d)
chmod 700 "$work"
weston_pid=''
app=''
cleanup() {
  [[ -n $app ]] && kill "$app" 2>/dev/null
  [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null
  wait 2>/dev/null
  if [[ -n ${WAYLAND_CHECK_KEEP:-} ]]; then
    mkdir -p "$WAYLAND_CHECK_KEEP" && cp -r "$work"/. "$WAYLAND_CHECK_KEEP"/
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "wayland-check: $*" >&2
  exit 1
}
# Waits up to $2 seconds for the command $1 to succeed.
wait_for() {
  local end=$((SECONDS + $2))
  until eval "$1"; do
    ((SECONDS < end)) || return 1
    sleep 0.1
  done
}

export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=driftmote-check
# --debug lets weston-screenshooter take pictures.
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
  --scale=2 --idle-time=$idle --debug >"$work/weston.log" 2>&1 &
weston_pid=$!
wait_for "[[ -S $work/$WAYLAND_DISPLAY ]]" 10 || fail "weston did not start: $(tail -n 5 "$work/weston.log")"

DRIFTMOTE_FRAME_LOG=$work/frames.log QT_QPA_PLATFORM=wayland "$app_path" >"$work/app.log" 2>&1 &
app=$!
wait_for "[[ -f $work/frames.log ]]" 10 || fail "the program did not start: $(tail -n 5 "$work/app.log")"
# Weston fades its output in at the start: the first screenshots may be dim.
# On a busy machine a screenshot may not come in time: that attempt is lost, not the check.
found='' shots=0 census=''
for attempt in 1 2 3 4 5 6; do
  sleep 1
  rm -f "$work"/wayland-screenshot-*.png
  (cd "$work" && timeout 20 weston-screenshooter) || continue
  shot=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null) || continue
  shots=$((shots + 1))
  if census=$(/usr/bin/python3 scripts/disc-census.py --min 30 "$shot"); then
    found=yes
    break
  fi
done
((shots > 0)) || fail "weston-screenshooter gave no screenshot in $attempt tries"
echo "$census" | head -n 1
[[ -n $found ]] || fail "none of $shots screenshots shows the particles drawn alike"

# The output sleeps after $idle s without input: the loop must rest and stay at rest.
wait_for "grep -q '^rest [1-9]' $work/frames.log" $((idle + 10)) ||
  fail "the frame loop did not rest once weston stopped drawing: $(cat "$work/frames.log")"
rested=$(grep '^rest [1-9]' "$work/frames.log" | tail -n 1)
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
before=$(ticks)
sleep $rest_window
after=$(ticks)
hz=$(getconf CLK_TCK)
echo "wayland-check: $rested frames, then $((after - before)) of $((rest_window * hz)) clock ticks of CPU in $rest_window s of rest"
[[ $(tail -n 1 "$work/frames.log") == "$rested" ]] || fail "the loop resumed while hidden: $(cat "$work/frames.log")"
# Resting is waiting for events: a few ticks at most, where a running loop uses many.
((after - before <= rest_window * hz / 20)) || fail "the program used CPU while hidden"
kill -0 "$app" 2>/dev/null || fail "the program ended: $(tail -n 5 "$work/app.log")"
echo "wayland-check: passed"
