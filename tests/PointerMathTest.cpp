// SPDX-License-Identifier: MIT
// Pointer mapping: pixels to world units, and what a degenerate canvas picks.

#include "GrabRules.h"
#include "PointerMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr int kDot = 11;

Particle At(float x, float y)
{
    return Particle{x, y, 0.0f, 0.0f, 0.0f};
}

} // namespace

TEST(PointerMath, WorkedExampleOnA400By300Canvas)
{
    const PointerScale scale = PointerScaleFor(400, 300, kDot);
    ASSERT_TRUE(scale.mappable);
    // 1 / (395 x 0.1f) rounded to single, not the single nearest to 1 / 39.5.
    EXPECT_EQ(scale.ux, 0.025316454f);
    EXPECT_NE(scale.ux, static_cast<float>(1.0 / 39.5));
    // The pick radius is formed in double from the single ux and is not rounded.
    EXPECT_EQ(scale.pickRadius, 11.0 * static_cast<double>(0.025316454f));
    EXPECT_NEAR(scale.pickRadius, 0.278481, 1e-6);

    float x = -1.0f, y = -1.0f;
    ASSERT_TRUE(MapPointer(scale, 200, 150, x, y));
    EXPECT_EQ(x, 5.0632911f);
    EXPECT_EQ(y, 4.9152541f);
    // The vertical factor stays in double: rounded to single first, row 49 would
    // map to 8.33898258 instead.
    ASSERT_TRUE(MapPointer(scale, 0, 49, x, y));
    EXPECT_EQ(y, 8.33898354f);

    // The centre pixel of the disc drawn for a particle at (5, 5) picks it.
    ASSERT_TRUE(MapPointer(scale, 199, 149, x, y));
    EXPECT_EQ(x, 5.0379744f);
    EXPECT_EQ(y, 4.9491525f);
    const Particle p = At(5.0f, 5.0f);
    EXPECT_EQ(PickParticle(&p, 1, x, y, scale.pickRadius), 0);
}

TEST(PointerMath, DegenerateCanvasSizesPickNothing)
{
    const Particle p = At(0.0f, 10.0f); // where pixel (0, 0) maps on a sound canvas
    float x = 1.5f, y = 2.5f;

    // Width or height exactly half the disc size: the factor would be infinite.
    for (const auto& [w, h] : {std::pair{5, 300}, std::pair{400, 5}, std::pair{5, 5}}) {
        const PointerScale scale = PointerScaleFor(w, h, kDot);
        EXPECT_FALSE(scale.mappable) << w << " x " << h;
        EXPECT_FALSE(MapPointer(scale, 0, 0, x, y));
        EXPECT_EQ(x, 1.5f);
        EXPECT_EQ(y, 2.5f);
        EXPECT_EQ(PickParticle(&p, 1, 0.0f, 10.0f, scale.pickRadius), -1);
    }

    // Narrower than half the disc: a negative factor and radius, nothing is picked
    // even right under the pointer.
    for (const int w : {0, 1, 4, INT_MIN}) {
        const PointerScale scale = PointerScaleFor(w, 300, kDot);
        ASSERT_TRUE(MapPointer(scale, 0, 0, x, y));
        EXPECT_LT(scale.ux, 0.0f);
        EXPECT_EQ(PickParticle(&p, 1, x, y, scale.pickRadius), -1) << w;
    }

    // Lower than half the disc: a mirrored vertical mapping, applied unchanged.
    const PointerScale low = PointerScaleFor(400, 2, kDot);
    ASSERT_TRUE(MapPointer(low, 200, 1, x, y));
    EXPECT_GT(y, 10.0f);
    const Particle under = At(x, y);
    EXPECT_EQ(PickParticle(&under, 1, x, y, low.pickRadius), 0);

    // Extreme sizes and pixels neither overflow nor lose finiteness.
    const PointerScale huge = PointerScaleFor(INT_MAX, INT_MAX, kDot);
    ASSERT_TRUE(MapPointer(huge, INT_MAX, INT_MIN, x, y));
    EXPECT_TRUE(std::isfinite(x));
    EXPECT_TRUE(std::isfinite(y));
}
