// SPDX-License-Identifier: MIT
#pragma once

// The random draws of one scattered particle, shared by the literal scatter and
// the grid scatter so that both consume the generator alike.

#include "Particle.h"

// The candidates one particle may draw; after that many, all too close, the
// last one stays.
inline constexpr int kMaxCandidates = 1000;

// Draws displacements until one lies inside the disc of `radius` (one exactly
// on the circle counts as inside; the first draw moves y, the second x), then
// writes the centre plus that displacement into p.x and p.y.
void DrawCandidate(Particle& p, double centerX, double centerY, double radius);

// The velocity draws: the first goes to vy, the second to vx.
void DrawVelocity(Particle& p, double maxSpeed);
