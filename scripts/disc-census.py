#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Finds the particles' discs in a screenshot: the groups of pixels, joined side by
# side, that lie on the canvas's grey and hold both a disc's fill and its outline
# (white and black, or a highlighted disc's grey and white), and whose box is
# square. Prints how many it found, their sizes, and how many different pictures
# the discs of the most common size make: 1 when every lone disc is drawn alike.
# Discs that overlap or are cut by an edge make groups of other shapes and are
# left out. Reads any picture ImageMagick's `convert` reads.
#
#   scripts/disc-census.py PICTURE [--min N]
# Exits 1 when fewer than N discs (default 1) of the most common size are found,
# or when they are not all alike.
import argparse
import collections
import subprocess
import sys

GREY = (192, 192, 192)


def read(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    data = ppm[pos + 1:]
    return width, height, data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("picture")
    parser.add_argument("--min", type=int, default=1)
    args = parser.parse_args()
    width, height, data = read(args.picture)

    def pixel(x, y):
        i = 3 * (y * width + x)
        return (data[i], data[i + 1], data[i + 2])

    grey_bytes = bytes(GREY)
    grey = bytearray(data[i:i + 3] == grey_bytes for i in range(0, 3 * width * height, 3))
    seen = bytearray(width * height)
    discs = []
    for start in range(width * height):
        if grey[start] or seen[start]:
            continue
        # One group of pixels that are not the canvas's grey.
        stack = [start]
        seen[start] = 1
        members = []
        touches_grey = False
        while stack:
            p = stack.pop()
            members.append(p)
            if len(members) > 10000:
                break
            x, y = p % width, p // width
            for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                if 0 <= nx < width and 0 <= ny < height:
                    q = ny * width + nx
                    if grey[q]:
                        touches_grey = True
                    elif not seen[q]:
                        seen[q] = 1
                        stack.append(q)
        if len(members) > 10000 or not touches_grey:
            continue
        xs = [p % width for p in members]
        ys = [p // width for p in members]
        x0, y0, x1, y1 = min(xs), min(ys), max(xs) + 1, max(ys) + 1
        if x1 - x0 != y1 - y0 or x1 - x0 < 4:
            continue
        picture = tuple(pixel(x, y) for y in range(y0, y1) for x in range(x0, x1))
        colours = set(picture)
        if not ((255, 255, 255) in colours and ((0, 0, 0) in colours or GREY in colours)):
            continue
        discs.append((x1 - x0, picture))
    sizes = collections.Counter(side for side, _ in discs)
    if not sizes:
        print(f"{args.picture}: no discs found")
        return 1
    side, count = sizes.most_common(1)[0]
    kinds = collections.Counter(picture for s, picture in discs if s == side)
    print(f"{args.picture}: {len(discs)} lone discs; sizes {dict(sizes)}; "
          f"{count} of {side}x{side} pixels in {len(kinds)} different pictures")
    for n, (picture, uses) in enumerate(kinds.most_common(2)):
        print(f"  picture {n + 1}, {uses} discs:")
        for y in range(side):
            row = picture[y * side:(y + 1) * side]
            print("    " + "".join("#" if c == (0, 0, 0) else "o" if c == (255, 255, 255) else
                                   "." if c == GREY else "+" for c in row))
    # A highlighted disc is another picture of the same size; allow it.
    alike = len(kinds) == 1 or (len(kinds) == 2 and kinds.most_common()[-1][1] == 1)
    return 0 if count >= args.min and alike else 1


if __name__ == "__main__":
    sys.exit(main())
