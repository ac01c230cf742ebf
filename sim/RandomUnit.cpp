// SPDX-License-Identifier: MIT
#include "RandomUnit.h"

#include <bit>

namespace {

std::uint32_t g_next = 1;

// The single-precision value nearest 1/33333 (3.0000299375e-5). A standard library
// without std::bit_cast (the browser build's) gets the compiler's own, which it wraps.
#if defined(__cpp_lib_bit_cast)
const float kUnit = std::bit_cast<float>(std::uint32_t{0x37FBA927});
#else
const float kUnit = __builtin_bit_cast(float, std::uint32_t{0x37FBA927});
#endif

} // namespace

int PortableRand()
{
    g_next = g_next * 1103515245u + 12345u; // wraps modulo 2^32
    return static_cast<int>((g_next / 65536u) % 32768u);
}

void PortableRandRestart()
{
    g_next = 1;
}

std::uint32_t PortableRandState()
{
    return g_next;
}

void SetPortableRandState(std::uint32_t state)
{
    g_next = state;
}

double RandomUnit()
{
    // The reduction modulo 33333 never changes a value below 32768; it is kept
    // because it is what defines the unit as 1/33333 of the range.
    const int r = PortableRand() % 33333;
    return r * static_cast<double>(kUnit);
}
