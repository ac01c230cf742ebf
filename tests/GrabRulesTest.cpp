// SPDX-License-Identifier: MIT
// Picking and the rounding points of the hold rule.

#include "GrabRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

Particle At(float x, float y)
{
    return Particle{x, y, 0.0f, 0.0f, 0.0f};
}

} // namespace

TEST(GrabRules, FirstIndexStrictlyInsideTheRadiusWins)
{
    // Index 0 is out of range; 1 and 2 are both in range, 2 is closer.
    const std::vector<Particle> ps = {At(9.0f, 9.0f), At(5.2f, 5.0f), At(5.01f, 5.0f)};
    EXPECT_EQ(PickParticle(ps.data(), 3, 5.0f, 5.0f, 0.278481), 1);
    EXPECT_EQ(PickParticle(ps.data(), 3, 1.0f, 1.0f, 0.278481), -1);
    EXPECT_EQ(PickParticle(ps.data(), 0, 5.0f, 5.0f, 0.278481), -1);

    // A distance equal to the radius is no hit; just beyond it is.
    const Particle q = At(3.0f, 4.0f);
    const double d = std::sqrt(3.0 * 3.0 + 4.0 * 4.0);
    EXPECT_EQ(PickParticle(&q, 1, 0.0f, 0.0f, d), -1);
    EXPECT_EQ(PickParticle(&q, 1, 0.0f, 0.0f, std::nextafter(d, 10.0)), 0);
}

TEST(GrabRules, HoldRestsUnderAStillPointerAndFlingsWithHalfTheMove)
{
    // Held at (3, 4); the step then moved it by its velocity (0.2, -0.1).
    Particle still{3.2f, 3.9f, 0.2f, -0.1f, 0.0f};
    HoldDragged(still, 3.5f, 4.5f, 0.5f, 0.5f);
    EXPECT_EQ(still.x, 3.0f);
    EXPECT_EQ(still.y, 4.0f);
    EXPECT_TRUE(std::fabs(still.vx) < 1e-6f && std::fabs(still.vy) < 1e-6f);

    // At rest at (1, 1) while the pointer moves by (0.5, -0.25).
    Particle flung = At(1.0f, 1.0f);
    HoldDragged(flung, 1.5f, 0.75f, 0.0f, 0.0f);
    EXPECT_EQ(flung.vx, 0.25f);
    EXPECT_EQ(flung.vy, -0.125f);

    // The same numbers on both axes: the vertical movement is rounded to single
    // before it is halved, the horizontal one is not.
    Particle p{0.1f, 0.1f, 0.1f, 0.1f, 0.0f};
    HoldDragged(p, 0.0001f, 0.0001f, 0.0f, 0.0f);
    EXPECT_EQ(p.x, 0.0001f);
    EXPECT_EQ(p.y, 0.0001f);
    EXPECT_EQ(p.vx, 4.99999987e-05f);
    EXPECT_EQ(p.vy, 5.00008464e-05f);
}
