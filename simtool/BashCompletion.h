// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// The bash completion script of driftmote-sim, made from the option table: every
// long name after a dash, and for each option that takes a value what the table
// offers for it (words, file names of a suffix, or nothing of its own).
std::string BashCompletion();
