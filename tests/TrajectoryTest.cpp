// SPDX-License-Identifier: MIT
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "SwarmParams.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace {

// FNV-1a over the bits of x, y, vx and vy of every current particle.
std::uint64_t StateHash(const ParticleSystem& particles)
{
    std::uint64_t hash = 14695981039346656037u;
    for (int i = 0; i < particles.m_nCount; ++i) {
        const Particle& p = particles.m_pCur[i];
        for (float value : {p.x, p.y, p.vx, p.vy}) {
            std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
            for (int byte = 0; byte < 4; ++byte, bits >>= 8)
                hash = (hash ^ (bits & 0xFFu)) * 1099511628211u;
        }
    }
    return hash;
}

// Every preset, run long enough for walls, the clamp and near pairs to play
// their part: any change in a rounding point changes these hashes.
TEST(Trajectory, LongerRunsOfEveryPresetKeepTheirRecordedHash)
{
    const std::uint64_t recorded[kPresetCount] = {
        0xe66c9b5688aff553u,
        0xe26953d0e491b6b9u,
        0xa567d81ade3d4bbbu,
        0x4473b1e09e721881u,
        0x858da234a96c2cb5u,
    };
    for (int preset = 0; preset < kPresetCount; ++preset) {
        PortableRandRestart();
        ParticleSystem particles;
        ASSERT_TRUE(StartLikeTheWindow(particles));
        ASSERT_TRUE(ApplyTexts(particles, PresetRow(preset)));
        for (int frame = 0; frame < 300; ++frame)
            particles.Step();
        const std::uint64_t hash = StateHash(particles);
        EXPECT_EQ(hash, recorded[preset]) << "preset " << preset << ": 0x" << std::hex << hash;
    }
}

} // namespace
