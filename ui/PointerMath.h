// SPDX-License-Identifier: MIT
#pragma once

// The window-free side of grabbing: how a pointer pixel on the canvas becomes a
// world position, which particle it picks and the grab offset. The hold and fling
// of a grabbed particle, frame by frame, is HoldDragged in DragRule.h.
//
// The pointer is mapped back with its own scale, (canvas size - D/2) x 0.1, which is
// not the inverse of the drawing scale (canvas size - D) x 0.1; each is used as it
// stands. Arithmetic is in double precision, rounded to single where a float is stored.

#include "Particle.h"

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

// The first index from 0 upward whose particle lies strictly closer than `radius` to
// (x, y), distance in double precision; -1 when none does. A distance that is not a
// number is no hit, and a radius of 0 or less picks nothing.
int PickParticle(const Particle* particles, int count, float x, float y, double radius);

// The hover index after a pointer move: the dragged particle while a drag is in
// progress, otherwise the pick at (x, y).
int HoverIndex(int drag, const Particle* particles, int count, float x, float y, double radius);

inline bool IsParticleIndex(int index, int count)
{
    return index >= 0 && index < count;
}

// The pointer position minus the particle's, each component stored in single
// precision, so that a grabbed particle does not jump to the pointer.
void GrabOffset(const Particle& p, float mouseX, float mouseY, float& grabDX, float& grabDY);
