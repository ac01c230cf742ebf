#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the program's icon, a few discs drifting in a sunken grey box, as a
scalable SVG picture (res/icons/driftmote.svg), then renders it with rsvg-convert
(Debian package librsvg2-bin) as PNG files at the sizes a desktop looks for
(res/icons/driftmote-<size>.png). Run it from anywhere, or with `make icons`;
the results are committed, so the build never runs this."""

import os
import subprocess

SIZES = (16, 24, 32, 48, 64, 128, 256)

BLACK, DARK_GREY, LIGHT_GREY, WHITE, YELLOW = "#000000", "#808080", "#c0c0c0", "#ffffff", "#ffff00"

# Discs as (centre x, centre y, radius, fill) in units of a 32-unit square. Each
# has a one-unit rim inside its radius: black, or white on a grey disc.
DISCS = [
    (10.5, 10.5, 5.0, WHITE),
    (22.0, 9.0, 3.5, WHITE),
    (20.5, 21.5, 5.5, LIGHT_GREY),
    (8.5, 23.0, 3.0, WHITE),
    (14.5, 16.0, 1.8, YELLOW),
]


def svg():
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">',
        '  <title>Driftmote</title>',
        # The box: a black frame, the grey floor and a dark shadow along the top and left.
        f'  <rect x="0" y="0" width="32" height="32" fill="{BLACK}"/>',
        f'  <rect x="1" y="1" width="30" height="30" fill="{LIGHT_GREY}"/>',
        f'  <path d="M1 1h30v1H2v29H1z" fill="{DARK_GREY}"/>',
    ]
    for cx, cy, r, fill in DISCS:
        rim = WHITE if fill == LIGHT_GREY else BLACK
        lines.append(f'  <circle cx="{cx}" cy="{cy}" r="{r - 0.5}" fill="{fill}" '
                     f'stroke="{rim}" stroke-width="1"/>')
    lines.append('</svg>')
    return "\n".join(lines) + "\n"


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
    os.makedirs(out, exist_ok=True)
    source = os.path.join(out, "driftmote.svg")
    with open(source, "w", encoding="utf-8") as f:
        f.write(svg())
    for size in SIZES:
        subprocess.run(["rsvg-convert", "--width", str(size), "--height", str(size),
                        "--output", os.path.join(out, f"driftmote-{size}.png"), source],
                       check=True)


if __name__ == "__main__":
    main()
