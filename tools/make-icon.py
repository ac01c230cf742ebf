#!/usr/bin/env python3
"""Draws the program's icon, a few discs drifting in a box, as two 16-colour PNG
files (32 by 32 and 16 by 16) under res/icons/. Run it from anywhere; it needs
only the Python standard library. The result is committed, so the build never
runs this."""

import os
import struct
import zlib

# The classic 16-colour palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, LIGHT_GREY, DARK_GREY, WHITE, YELLOW = 0, 4, 7, 8, 15, 11

# Discs as (centre x, centre y, radius, fill) in units of the 32-pixel picture.
DISCS = [
    (10.5, 10.5, 5.0, WHITE),
    (22.0, 9.0, 3.5, WHITE),
    (20.5, 21.5, 5.5, LIGHT_GREY),
    (8.5, 23.0, 3.0, WHITE),
    (14.5, 16.0, 1.8, YELLOW),
]


def draw(size):
    scale = size / 32.0
    pixels = [[LIGHT_GREY] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if x in (0, size - 1) or y in (0, size - 1):
                pixels[y][x] = BLACK
            elif x in (1,) or y in (1,):
                pixels[y][x] = DARK_GREY
    for cx, cy, r, fill in DISCS:
        cx, cy, r = cx * scale, cy * scale, max(r * scale, 1.2)
        for y in range(1, size - 1):
            for x in range(1, size - 1):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if d < r - 1.0:
                    pixels[y][x] = fill
                elif d < r:
                    pixels[y][x] = BLACK if fill != LIGHT_GREY else WHITE
    return pixels


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(pixels):
    size = len(pixels)
    rows = b""
    for row in pixels:
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        rows += b"\x00" + packed
    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)  # 4-bit palette
    palette = b"".join(bytes(c) for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
    os.makedirs(out, exist_ok=True)
    for size in (32, 16):
        with open(os.path.join(out, f"driftmote-{size}.png"), "wb") as f:
            f.write(png(draw(size)))


if __name__ == "__main__":
    main()
