// SPDX-License-Identifier: MIT
#pragma once

// The fast step: the pair sums from a vector kernel, on one or more threads,
// then the same per-particle finish as the literal step (ParticleRules.h).
// Scatter always uses its grid, which needs no special instructions.

#include "Particle.h"
#include "StepSettings.h"

#include <functional>

// Below this count the literal loop is as fast: the vector kernels' setup and
// their padding to whole blocks cost as much as the few pairs (measured: at 4
// particles both take the same time, at 5 the kernels are faster).
constexpr int kFastStepFrom = 5;

// What one step reads and writes: the current and next arrays of `count`
// particles and the three coefficients.
struct StepFrame {
    const Particle* cur;
    Particle* next;
    int count;
    float attraction;
    float repulsion;
    float friction;
    // Asked now and then on the calling thread during a step of kStopCheckFrom
    // particles or more; true abandons the step. Null: never.
    const std::function<bool()>* shouldStop = nullptr;
};

// From this count on a step takes long enough (a few milliseconds or more) to look
// at whether to stop while it runs; shorter steps end first.
constexpr int kStopCheckFrom = 4096;

// What became of a step.
enum class FastStep {
    NotTaken,  // nothing changed: the literal step should run (plain kernel, very small counts, no buffers)
    Done,      // every particle of the next array is written
    Abandoned, // shouldStop answered true: the next array is partly written, the current one untouched
};

// Buffers for the fast step, sized together with the particle arrays so that no
// step allocates. NewStepScratch returns null when the memory is not available;
// the step then runs the literal loop. They also keep the system's thread choice.
struct StepScratch;
StepScratch* NewStepScratch(int count);
void DeleteStepScratch(StepScratch* scratch);

// Writes the next state of every particle of `frame` with the kernel and threads
// of `settings`.
FastStep StepFast(const StepFrame& frame, StepScratch* scratch, const StepSettings& settings);

// The number of threads the most recent step with a vector kernel used (1 before
// any such step, and without buffers). Steps with the plain kernel, or below
// kFastStepFrom particles, always run on the calling thread.
int ThreadsOfLastStep(const StepScratch* scratch);
