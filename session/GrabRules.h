// SPDX-License-Identifier: MIT
#pragma once

// Grabbing in world units: which particle the pointer picks, the grab offset, and
// how a held particle follows the pointer frame by frame and is flung on release.
// Arithmetic is in double precision, rounded to single where a float is stored.

#include "Particle.h"

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

// Holds a dragged particle, just stepped, at the pointer minus the grab offset and
// leaves it with half of its stepped velocity plus half of its movement, so that
// under a still pointer it comes to rest and on release it keeps half of the last
// frame's movement.
void HoldDragged(Particle& p, float mouseX, float mouseY, float grabDX, float grabDY);
