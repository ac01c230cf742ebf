// SPDX-License-Identifier: MIT
#pragma once

// The ceiling of any bit-exact step: every pair needs one double square root and
// two double divisions, and the divider does nothing else. This runs exactly
// that work in independent vector chains, as wide as a kernel's vectors, so that
// a step's pair rate can be read as a share of what the divider allows.

#include "StepSettings.h"

// The pairs per second that `threads` threads reach together on the vectors of
// `kernel` (avx2: four lanes, avx512: eight), measured for about `seconds`. Each
// thread's rate is per second of its own processor time, so the figure is what
// the threads reach with a core each, even on a machine busy with other work.
// 0 for the plain kernel or one the CPU cannot run.
double DividerCeiling(StepKernel kernel, int threads, double seconds);

// The processor time the calling thread has used, in seconds.
double ThreadSeconds();
