#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "SwarmParams.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace {

// Types a preset's four texts into the boxes, as the window's handlers take them.
void TypePreset(ParticleSystem& particles, int preset)
{
    const PresetTexts& row = PresetRow(preset);
    ASSERT_TRUE(ResizeAndScatter(particles, CountFromText(row.num)));
    particles.m_fAttraction = CoefficientFromText(row.attraction);
    particles.m_fRepulsion = CoefficientFromText(row.repulsion);
    particles.m_fFriction = CoefficientFromText(row.friction);
}

// The window's start from a fresh random source: three particles, then preset 0.
void StartLikeTheWindow(ParticleSystem& particles)
{
    PortableRandRestart();
    ASSERT_TRUE(ResizeAndScatter(particles, 3));
    TypePreset(particles, 0);
}

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
        ParticleSystem particles;
        StartLikeTheWindow(particles);
        TypePreset(particles, preset);
        for (int frame = 0; frame < 300; ++frame)
            particles.Step();
        EXPECT_EQ(StateHash(particles), recorded[preset]) << "preset " << preset;
    }
}

} // namespace
