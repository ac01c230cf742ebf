// SPDX-License-Identifier: MIT
#pragma once

// Dialog units: a template measures in quarters of the dialog font's average
// character width across and eighths of its height down.

// a * b / c rounded to the nearest integer, halves away from zero, with a 64-bit
// intermediate; -1 when c is 0 or the result does not fit an int.
int MulDivRound(int a, int b, int c);

// The horizontal base unit from the advance width of the 52 letters "A".."Z",
// "a".."z": half their average width, rounded up.
int BaseUnitX(int alphabetWidth);

struct PixelRect {
    int x, y, cx, cy;
};

// A rectangle in dialog units converted to pixels for the given base units.
PixelRect DialogUnitsToPixels(int x, int y, int cx, int cy, int baseX, int baseY);
