#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window as a screen reader sees it: starts the program on a virtual X display
# of its own with a private session bus and the accessibility bus, and runs
# scripts/a11y-check.py on its accessible tree. Needs Xvfb, xdotool, dbus,
# at-spi2-core and python3-pyatspi (make a11y-check installs them); builds nothing.
# DRIFTMOTE=path runs another build of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
app_path=${DRIFTMOTE:-./build/driftmote}
[[ -x $app_path ]] || { echo "a11y-check: $app_path not found; build it first (make build)" >&2; exit 2; }
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb xdotool dbus-run-session $launcher /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "a11y-check: $tool is missing (make a11y-check installs it)" >&2; exit 2; }
done

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
read -r -u "$fd" number
export DISPLAY=:$number APP_PATH=$app_path LAUNCHER=$launcher
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# Everything on the private bus ends with the session.
timeout 60 dbus-run-session -- bash -c '
  "$LAUNCHER" --launch-immediately &
  bus=$!
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$APP_PATH" &
  app=$!
  status=0
  /usr/bin/python3 scripts/a11y-check.py || status=$?
  kill "$app" "$bus" 2>/dev/null
  wait "$app" 2>/dev/null
  exit $status
' 2> >(grep -v -e "Failed to set fd limit" -e "Activating service" -e "Successfully activated" \
            -e "SpiRegistry daemon" >&2)
