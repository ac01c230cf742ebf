// SPDX-License-Identifier: MIT
#pragma once

// One particle: five single-precision floats, laid out back to back in the arrays.
struct Particle {
    float x;        // position along the horizontal axis, world units (the box spans 0 to 10)
    float y;        // position along the vertical axis, world units, upward
    float vx;       // velocity along x, world units per frame
    float vy;       // velocity along y, world units per frame
    float reserved; // never read or written by any operation
};

static_assert(sizeof(Particle) == 5 * sizeof(float), "particles lie back to back");
