// SPDX-License-Identifier: MIT
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "SwarmParams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

bool IsEmpty(const ParticleSystem& ps)
{
    return ps.m_nCount == 0 && !ps.m_pBufA && !ps.m_pBufB && !ps.m_pCur && !ps.m_pNext;
}

TEST(ParticleStore, EmptyAndUnallocatableCountsLeaveAnEmptyStoreThatScatterAndStepKeep)
{
    ParticleSystem ps;
    EXPECT_TRUE(IsEmpty(ps));
    // Counts without room fail and say so; 0 and below are simply no particles.
    const struct {
        int count;
        bool fits;
    } rows[] = {{0, true}, {-5, true}, {2000000000, false}, {INT_MAX, false}};
    for (const auto& [count, fits] : rows) {
        ASSERT_TRUE(ps.SetCount(5));
        EXPECT_EQ(ps.SetCount(count), fits) << count;
        EXPECT_TRUE(IsEmpty(ps)) << count;
        const std::uint32_t before = PortableRandState();
        ps.Scatter(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
        ps.Step();
        EXPECT_TRUE(IsEmpty(ps)) << count;
        EXPECT_EQ(PortableRandState(), before) << count;
    }
}

TEST(ParticleStore, NoOperationTouchesReserved)
{
    ParticleSystem ps;
    ASSERT_TRUE(ps.SetCount(20));
    for (Particle* array : {ps.m_pBufA, ps.m_pBufB})
        std::for_each(array, array + 20, [](Particle& p) { p.reserved = -123.25f; });
    ps.Scatter(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
    ps.m_fAttraction = 0.00009f;
    ps.m_fRepulsion = 0.00002f;
    ps.m_fFriction = 0.023f;
    ps.Step();
    ps.Step();
    for (Particle* array : {ps.m_pBufA, ps.m_pBufB})
        EXPECT_TRUE(std::all_of(array, array + 20, [](const Particle& p) { return p.reserved == -123.25f; }));
}

TEST(RandomUnit, FollowsThePortableGeneratorFromItsStartState)
{
    PortableRandRestart();
    EXPECT_EQ(PortableRand(), 16838);
    EXPECT_EQ(PortableRand(), 5758);
    EXPECT_EQ(PortableRand(), 10113);

    PortableRandRestart();
    const double unit = std::bit_cast<float>(std::uint32_t{0x37FBA927});
    EXPECT_EQ(RandomUnit(), 16838 * unit);
    double largest = 0.0;
    for (int i = 0; i < 1000000; ++i)
        largest = std::max(largest, RandomUnit());
    EXPECT_EQ(largest, 32767 * unit);
    EXPECT_LT(largest, 0.98302);
}

// The displacement draws of one candidate: first y, then x, until one lies in the disc.
void DrawDisplacement(double radius, float& dy, double& dx)
{
    do {
        dy = static_cast<float>((RandomUnit() * radius) * 2.0 - radius);
        dx = (RandomUnit() * radius) * 2.0 - radius;
    } while (std::sqrt(dx * dx + static_cast<double>(dy) * dy) > radius);
}

TEST(Scatter, CrowdedParticlesTakeTheirThousandthCandidate)
{
    // In a disc of radius 0.1 every candidate is closer than 10 to the particles
    // before it: the first particle takes one candidate, every later one 1000, and
    // each makes its two velocity draws although the speed is 0.
    const double radius = 0.1f;
    PortableRandRestart();
    float dy = 0.0f;
    double dx = 0.0;
    for (int i = 0; i < 40; ++i) {
        for (int candidate = 0; candidate < (i == 0 ? 1 : 1000); ++candidate)
            DrawDisplacement(radius, dy, dx);
        RandomUnit();
        RandomUnit();
    }
    const std::uint32_t state = PortableRandState();

    PortableRandRestart();
    ParticleSystem ps;
    ASSERT_TRUE(ps.SetCount(40));
    ps.Scatter(5.0f, 5.0f, 0.1f, 10.0f, 0.0f);
    EXPECT_EQ(PortableRandState(), state);
    EXPECT_EQ(ps.m_pCur[39].x, static_cast<float>(5.0 + dx));
    EXPECT_EQ(ps.m_pCur[39].y, static_cast<float>(5.0 + dy));
}

// Equal; a value that is not a number must be the very same bits.
bool Same(float a, float b)
{
    return a == b || (std::isnan(a) && std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b));
}

TEST(Step, LoneParticleFeelsOnlyFrictionTheClampAndTheWalls)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        Particle before;
        float friction;
        Particle after;
        double vxTolerance; // 0: exact
    } rows[] = {
        // Moved by this frame's velocity.
        {{5.0f, 5.0f, 0.2f, -0.1f, 0.0f}, 0.0f, {static_cast<float>(5.0 + 0.2f), static_cast<float>(5.0 - 0.1f), 0.2f, -0.1f, 0.0f}, 0},
        {{5.0f, 5.0f, 0.2f, -0.1f, 0.0f}, 1.0f, {5.0f, 5.0f, 0.0f, 0.0f, 0.0f}, 0},
        {{5.0f, 5.0f, 0.2f, 0.1f, 0.0f}, -1.0f, {5.4000001f, 5.19999981f, 0.4f, 0.2f, 0.0f}, 0}, // friction below 0 amplifies
        {{5.0f, 5.0f, 0.2f, 0.0f, 0.0f}, 4.0f, {4.94000006f, 5.0f, -0.06f, 0.0f, 0.0f}, 1e-7}, // -0.6 leaves as about -0.06
        {{5.0f, 5.0f, 0.5f, 0.0f, 0.0f}, 0.0f, {5.5f, 5.0f, 0.5f, 0.0f, 0.0f}, 0},
        {{5.0f, 5.0f, 0.50001f, 0.0f, 0.0f}, 0.0f, {5.05000114f, 5.0f, 0.050001f, 0.0f, 0.0f}, 1e-8},
        // Walls hold the particle on the wall and flip its velocity.
        {{9.9f, 5.0f, 0.3f, 0.0f, 0.0f}, 0.0f, {10.0f, 5.0f, -0.3f, 0.0f, 0.0f}, 0},
        {{9.5f, 5.0f, 0.5f, 0.0f, 0.0f}, 0.0f, {10.0f, 5.0f, 0.5f, 0.0f, 0.0f}, 0}, // lands exactly on 10
        {{9.9f, 0.1f, 0.3f, -0.3f, 0.0f}, 0.0f, {10.0f, 0.0f, -0.3f, 0.3f, 0.0f}, 0}, // through the corner
        {{nan, 5.0f, 0.1f, 0.0f, 0.0f}, 0.0f, {0.0f, 5.0f, -0.1f, 0.0f, 0.0f}, 0},
        // A velocity that is not a number ends the clamp at once (the other
        // component keeps its speed) and puts its coordinate on the wall at 0,
        // where it stays the one quiet NaN, whatever sign the arithmetic gave it.
        {{5.0f, 5.0f, nan, 3.0f, 0.0f}, 0.0f, {0.0f, 8.0f, nan, 3.0f, 0.0f}, 0},
        {{5.0f, 5.0f, 0.1f, nan, 0.0f}, 0.0f, {static_cast<float>(5.0 + 0.1f), 0.0f, 0.1f, nan, 0.0f}, 0},
        // An infinite one becomes 0; times a friction factor of 0 it is not a number.
        {{5.0f, 5.0f, inf, 0.1f, 0.0f}, 0.0f, {5.0f, static_cast<float>(5.0 + 0.1f), 0.0f, 0.1f, 0.0f}, 0},
        {{5.0f, 5.0f, 0.1f, -inf, 0.0f}, 0.0f, {static_cast<float>(5.0 + 0.1f), 5.0f, 0.1f, 0.0f, 0.0f}, 0},
        {{5.0f, 5.0f, inf, 0.0f, 0.0f}, 1.0f, {0.0f, 5.0f, nan, 0.0f, 0.0f}, 0},
    };
    for (const auto& row : rows) {
        // A lone particle feels no force, whatever the coefficients.
        ParticleSystem ps;
        ASSERT_TRUE(ps.SetCount(1));
        ps.m_pCur[0] = row.before;
        ps.m_fAttraction = 1.0f;
        ps.m_fRepulsion = 1.0f;
        ps.m_fFriction = row.friction;
        ps.Step();
        const Particle& n = ps.m_pCur[0];
        const std::string from = testing::PrintToString(row.before.x) + ", vx " + testing::PrintToString(row.before.vx);
        EXPECT_EQ(n.x, row.after.x) << from;
        EXPECT_EQ(n.y, row.after.y) << from;
        if (row.vxTolerance > 0)
            EXPECT_NEAR(n.vx, row.after.vx, row.vxTolerance) << from;
        else
            EXPECT_PRED2(Same, n.vx, row.after.vx) << from;
        EXPECT_PRED2(Same, n.vy, row.after.vy) << from;
    }
}

// Two particles at rest on the line y = 5 at x0 and x1; returns the first one's new vx.
float PairPull(float x0, float x1)
{
    ParticleSystem ps;
    ps.SetCount(2);
    ps.m_pCur[0] = {x0, 5.0f, 0.0f, 0.0f, 0.0f};
    ps.m_pCur[1] = {x1, 5.0f, 0.0f, 0.0f, 0.0f};
    ps.m_fAttraction = 1e-20f;
    ps.m_fRepulsion = 0.0f;
    ps.m_fFriction = 0.0f;
    ps.Step();
    return ps.m_pCur[0].vx;
}

TEST(Step, PairsAtTheCutOffOrCloserExertNoForce)
{
    EXPECT_EQ(PairPull(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(PairPull(0.0f, 0.00001f), 0.0f); // exactly 9.99999974737875e-6 apart
    EXPECT_GT(PairPull(0.0f, 0.0000101f), 0.0f);
}

TEST(Step, EndsWithEveryParticleInTheBoxWhenACoefficientIsNotFinite)
{
    // Infinite forces make infinite velocities (which become 0) and, as infinity
    // minus infinity, velocities that are not a number (whose particles go onto
    // the wall at 0).
    const float inf = std::numeric_limits<float>::infinity();
    for (const float attraction : {inf, 3e38f, std::numeric_limits<float>::quiet_NaN()}) {
        ParticleSystem ps;
        ASSERT_TRUE(ps.SetCount(67) && ScatterNewCount(ps));
        ps.m_fAttraction = attraction;
        ps.m_fRepulsion = 3e38f;
        ps.m_fFriction = 0.023f;
        for (int frame = 0; frame < 5; ++frame)
            ps.Step();
        for (int i = 0; i < ps.m_nCount; ++i) {
            const Particle& p = ps.m_pCur[i];
            EXPECT_TRUE(p.x >= 0.0f && p.x <= 10.0f && p.y >= 0.0f && p.y <= 10.0f) << attraction;
            EXPECT_FALSE(std::isinf(p.vx) || std::isinf(p.vy)) << attraction;
        }
    }
}

} // namespace
