// SPDX-License-Identifier: MIT
#pragma once

// World to canvas pixels for drawing. World x runs 0..10 to the right and y 0..10
// upward; pixels run right and down from the canvas's top-left pixel. A particle's
// world position becomes the top-left corner of its disc's box, and the scale
// leaves one disc size free at the right and bottom edges.

// (size - dotSize) * 0.1f, rounded to single precision. A canvas smaller than a
// disc gives a negative factor, which is used as it is.
float CanvasScale(int size, int dotSize);

// Pixel coordinates are clamped to this magnitude: far outside any canvas, yet a
// disc size can be added without overflow.
inline constexpr int kPixelLimit = 1 << 30;

// Truncation toward zero of a pixel coordinate. Values beyond +-kPixelLimit, and
// NaN, are first clamped (NaN to 0): such a particle is off the canvas either way.
int PixelFromDouble(double value);

struct DiscPixel {
    int x, y;
};

// The top-left corner of the disc of a particle at (x, y): trunc(sx * x) and
// trunc(sy * (10 - y)), each product formed in double from the float inputs.
DiscPixel DiscCorner(float x, float y, float sx, float sy);
