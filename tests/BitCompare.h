// SPDX-License-Identifier: MIT
#pragma once

#include "Particle.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <sstream>

// The fields a step or a scatter writes, compared bit for bit (so -0 differs
// from 0 and every NaN payload counts).
inline ::testing::AssertionResult SameParticles(const Particle* expected, const Particle* actual, int count)
{
    for (int i = 0; i < count; ++i) {
        const float e[4] = {expected[i].x, expected[i].y, expected[i].vx, expected[i].vy};
        const float a[4] = {actual[i].x, actual[i].y, actual[i].vx, actual[i].vy};
        static const char* const names[4] = {"x", "y", "vx", "vy"};
        for (int f = 0; f < 4; ++f) {
            if (std::bit_cast<std::uint32_t>(e[f]) != std::bit_cast<std::uint32_t>(a[f])) {
                std::ostringstream text;
                text.precision(9);
                text << "particle " << i << " of " << count << ", field " << names[f] << ": expected " << e[f]
                     << " (0x" << std::hex << std::bit_cast<std::uint32_t>(e[f]) << std::dec << "), got "
                     << a[f] << " (0x" << std::hex << std::bit_cast<std::uint32_t>(a[f]) << ")";
                return ::testing::AssertionFailure() << text.str();
            }
        }
    }
    return ::testing::AssertionSuccess();
}
