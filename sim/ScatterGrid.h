// SPDX-License-Identifier: MIT
#pragma once

#include "Particle.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// Places particles[0..count) exactly as the literal scatter does (the same
// candidates, the same random draws, the same stored floats), but looks for a
// too-close earlier particle only in the neighbouring cells of a uniform grid
// whose cells are no smaller than minSeparation. A candidate is rejected exactly
// when some earlier particle is too close, whatever order the checks take, so
// only the speed changes.
//
// Returns false, before drawing anything, when the arguments do not allow a grid
// (a centre, radius or separation that is not finite) or not even a grid of 3 by 3
// cells fits in memory; the caller then runs the literal scatter instead. When the
// finest grid does not fit, coarser ones are tried. A count of 0 or less, or a
// radius below 0, returns true without drawing, as the literal scatter does
// nothing in those cases.
//
// `shouldStop`, when set, is asked every few thousand particles; once it answers
// true the scatter ends there, with the particles and the generator partly drawn.
//
// `maxCells` caps the cells of each structure as if larger allocations failed
// (tests use it to take the coarser grids without exhausting memory).
bool ScatterWithGrid(Particle* particles, int count, float centerX, float centerY, float radius,
                     float minSeparation, float maxSpeed, const std::function<bool()>& shouldStop = {},
                     std::size_t maxCells = SIZE_MAX);
