#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Where the running window's controls are, as its accessible tree says: one line
# per control, "key x y width height" in pixels of the window's client area. The
# soak clicks by these places instead of keeping a copy of the dialog's layout.
# Needs the accessibility bus (scripts/soak.sh starts it) and python3-pyatspi.
import sys
import time

import pyatspi

# The accessible name and role of each control, and the soak's key for it.
CONTROLS = {
    ("Particles", "image"): "canvas",
    ("Num", "text"): "num",
    ("Attraction (Far)", "text"): "attraction",
    ("Repulsion (Near)", "text"): "repulsion",
    ("Friction", "text"): "friction",
    ("Previous preset", "push button"): "prev",
    ("Next preset", "push button"): "next",
    ("Play Nice", "check box"): "playnice",
}


def window():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "driftmote":
            for win in app:
                if win is not None and win.getRoleName() in ("dialog", "frame") and win.name.startswith("Driftmote"):
                    return win
    return None


def main():
    end = time.monotonic() + 20
    places = {}
    while len(places) < len(CONTROLS) + 1:
        win = window()
        if win is not None:
            origin = win.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            places = {}
            for i in range(win.childCount):
                c = win.getChildAtIndex(i)
                key = CONTROLS.get((c.name, c.getRoleName()))
                if key is None and c.getRoleName() == "push button" and c.description == "Opens the About box":
                    key = "credit"
                if key is not None:
                    # Screen places less the window's: the toolkit's window-relative
                    # extents get the width and height wrong.
                    e = c.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    places[key] = (e.x - origin.x, e.y - origin.y, e.width, e.height)
        if len(places) == len(CONTROLS) + 1:
            break
        if time.monotonic() > end:
            missing = sorted((set(CONTROLS.values()) | {"credit"}) - set(places))
            sys.exit(f"control-places: not found on the accessibility bus: {' '.join(missing)}")
        time.sleep(0.2)
    for key, (x, y, w, h) in sorted(places.items()):
        print(key, x, y, w, h)


if __name__ == "__main__":
    main()
