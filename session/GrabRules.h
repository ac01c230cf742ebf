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
// under a still pointer it comes to rest and while it follows the pointer it moves
// with half of the last frame's movement.
void HoldDragged(Particle& p, float mouseX, float mouseY, float grabDX, float grabDY);

// The longest rest of the pointer before a release that still flings, in
// milliseconds: about six motion reports of a mouse at 125 Hz, three frames at 60.
inline constexpr double kFlingPauseMs = 50.0;

// A held particle's last movement, for its fling. Frames run faster than a mouse
// reports motion, so most frames hold the particle where it was; the fling is
// taken from the last frame that moved it and the frames since the one before.
struct HeldMotion {
    float fromX = 0.0f;  // held position before the last movement, world units
    float fromY = 0.0f;
    float toX = 0.0f;    // held position after it, where the particle is held now
    float toY = 0.0f;
    int frames = 0;      // frames the last movement took; 0 while it has not moved
    int framesSince = 0; // frames since the held position last changed
};

// The motion at the grab: the particle counts as held where the pointer minus the
// grab offset puts it.
HeldMotion StartHeldMotion(float mouseX, float mouseY, float grabDX, float grabDY);

// After a frame held the particle at (x, y).
void TrackHeldFrame(HeldMotion& motion, float x, float y);

// The velocity of a particle let go at `releaseTimeMs`, the pointer having last
// moved at `pointerTimeMs`: half the last movement over the frames it took (the
// hold's velocity per frame, whatever the frame rate), or rest when the pointer
// rested longer than kFlingPauseMs or never moved the particle.
void FlingVelocity(const HeldMotion& motion, double releaseTimeMs, double pointerTimeMs, float& vx, float& vy);
