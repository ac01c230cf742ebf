// SPDX-License-Identifier: MIT
#pragma once

// Between a snapshot and the running state: the particle store and the portable
// random generator. The edit texts and the preset belong to the caller, which
// knows how the texts become coefficients.

#include "Snapshot.h"

class ParticleSystem;

// The current particles of the store and the generator's state; the texts and the
// preset are left as they are.
void CaptureParticles(const ParticleSystem& particles, Snapshot& snapshot);

// Replaces the store's particles with the snapshot's and puts the generator in the
// snapshot's state, keeping the coefficients. All or nothing: the new arrays are
// allocated before anything changes, and when that fails the result is false and
// the store and the generator are as they were.
bool ApplyParticles(const Snapshot& snapshot, ParticleSystem& particles);
