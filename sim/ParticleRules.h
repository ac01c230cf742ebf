// SPDX-License-Identifier: MIT
#pragma once

// The per-particle rules of the step, shared by the literal step and the fast
// one: the pair force sums, and the finish of one particle from its sums.

#include "Particle.h"

// Pairs no farther apart than this (the single-precision value of 0.00001,
// compared in double with the unrounded distance) exert no force.
inline constexpr double kMinPairDistance = static_cast<double>(0.00001f);

// The clamp's speed limit, and the far wall of both axes (the near one is 0).
inline constexpr double kMaxSpeed = 0.5;
inline constexpr float kWall = 10.0f;

// The force sums on particle i from every other particle of `cur`, in ascending
// index order, exactly as the step defines them.
void PairSums(const Particle* cur, int count, int i, double attraction, double repulsion,
              double& fx, float& fy);

// Everything the simulation needs to advance particle i by one frame, given the
// force sums over all other particles: velocity, friction, clamp, move and walls.
void FinishParticle(const Particle& s, Particle& n, double fx, float fy, double frictionFactor);

// Wall rule of one axis: a coordinate below 0 (or not a number) is put on 0,
// one above 10 on 10, and the velocity component flips its sign.
void ReflectAxis(float& position, float& velocity);
