#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Reads the window's accessible tree over AT-SPI (pyatspi) and checks that a
# screen reader finds every control of the main window by name and role, the
# Play Nice toggle with its checked state, and the canvas as a graphic whose
# description gives the particle count and whether the run is paused; then
# presses Pause (xdotool) and checks that the title and the description say so.
# Run by scripts/a11y-check.sh, which starts the display, the bus and the program.
import re
import subprocess
import sys
import time

import pyatspi

EXPECTED = [
    ("Particles", "image"),
    ("Num", "text"),
    ("Num", "label"),
    ("Play Nice", "check box"),
    ("Attraction (Far)", "text"),
    ("Attraction (Far)", "label"),
    ("Repulsion (Near)", "text"),
    ("Repulsion (Near)", "label"),
    ("Friction", "text"),
    ("Friction", "label"),
    ("About Driftmote (Quenly Vostrake 200308)", "push button"),
    ("Previous preset", "push button"),
    ("Next preset", "push button"),
    ("Fun Presets", "label"),
]


def wait_for(what, probe, seconds=10.0):
    end = time.monotonic() + seconds
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > end:
            sys.exit(f"a11y-check: {what} did not appear within {seconds:.0f} s")
        time.sleep(0.2)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None and a.name == "driftmote"]
    return apps[0] if apps else None


def window(app):
    frames = [c for c in app if c is not None and c.getRoleName() in ("dialog", "frame")]
    return frames[0] if frames else None


def controls(win):
    return [win.getChildAtIndex(i) for i in range(win.childCount)]


def main():
    app = wait_for("the driftmote application on the accessibility bus", application)
    win = wait_for("its window", lambda: window(app))
    found = {(c.name, c.getRoleName()): c for c in controls(win)}
    print(f"a11y-check: window {win.name!r} ({win.getRoleName()})")
    for c in controls(win):
        print(f"  {c.getRoleName():12} {c.name!r:45} {c.description!r}")
    failures = [f"no {role} named {name!r}" for name, role in EXPECTED if (name, role) not in found]
    if len(controls(win)) != len(EXPECTED):
        failures.append(f"{len(controls(win))} controls instead of {len(EXPECTED)}")
    play_nice = found.get(("Play Nice", "check box"))
    if play_nice and not play_nice.getState().contains(pyatspi.STATE_CHECKED):
        failures.append("Play Nice is not reported checked")
    canvas = found.get(("Particles", "image"))
    if canvas and not re.fullmatch(r"\d+ particles, running", canvas.description):
        failures.append(f"the canvas's description {canvas.description!r} does not give count and state")
    if failures:
        sys.exit("a11y-check: " + "; ".join(failures))

    # Pause, pressed on the window, shows in the title and in the description.
    wid = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Driftmote$"],
                         check=True, capture_output=True, text=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", wid], check=True)
    subprocess.run(["xdotool", "key", "Pause"], check=True)
    wait_for("the paused title", lambda: win.name == "Driftmote (paused)")
    wait_for("the paused description", lambda: canvas.description.endswith(", paused"))
    print(f"a11y-check: after Pause: window {win.name!r}, canvas {canvas.description!r}")
    print(f"a11y-check: all {len(EXPECTED)} controls found by name and role")


if __name__ == "__main__":
    main()
