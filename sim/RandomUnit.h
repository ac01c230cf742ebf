// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The portable sample generator of the C standard: one process-wide state that
// starts at 1 and is never seeded by the program, so every run draws the same
// sequence. Its values run from 0 to 32767.
int PortableRand();

// Puts the generator back to its start state. Only tests do this; the program never does.
void PortableRandRestart();

// The generator's state, for tests that check what a call consumed and for
// snapshots, which put it back with SetPortableRandState to continue the sequence.
std::uint32_t PortableRandState();
void SetPortableRandState(std::uint32_t state);

// One uniform draw: the next generator value times the single-precision value
// nearest 1/33333, formed in double. Results run from 0 up to about 0.9830198.
double RandomUnit();
