// SPDX-License-Identifier: MIT
#pragma once

// How a pointer pixel on the canvas becomes a world position; what the position
// picks and grabs is in GrabRules.h.
//
// The pointer is mapped back with its own scale, (canvas size - D/2) x 0.1, which is
// not the inverse of the drawing scale (canvas size - D) x 0.1; each is used as it
// stands. Arithmetic is in double precision, rounded to single where a float is stored.


// The pointer scale of one canvas size.
struct PointerScale {
    float ux = 0.0f;          // world units per pixel across, rounded to single
    double uy = 0.0;          // world units per pixel down, kept in double
    double pickRadius = 0.0;  // D x ux in double; a particle must lie strictly inside it
    bool mappable = false;    // false when a factor would be infinite (size - D/2 is 0)
};

// The scale for a canvas client area of width x height pixels and disc size D.
// A width or height of exactly D/2 would divide by zero: the scale is then not
// mappable and no pointer position comes from it. A width below D/2 gives a
// negative ux and so a negative pick radius (nothing can be picked); a height below
// D/2 gives a negative uy, a mirrored mapping that is applied unchanged.
PointerScale PointerScaleFor(int width, int height, int dotSize);

// The world position of canvas pixel (px, py): x = px x ux and y = 10 - py x uy,
// each rounded to single when stored. Returns false, leaving both outputs as they
// were, when the scale is not mappable.
bool MapPointer(const PointerScale& scale, int px, int py, float& worldX, float& worldY);
