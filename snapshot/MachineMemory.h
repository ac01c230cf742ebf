// SPDX-License-Identifier: MIT
#pragma once

// How much memory the machine has, to refuse work that could never fit before
// allocating anything for it.

#include <cstdint>

// The machine's physical memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemoryBytes();
