// SPDX-License-Identifier: MIT
// The window-free arithmetic of a frame: world to pixels, the clamp before
// truncation, and dialog units.

#include "CanvasMapping.h"
#include "DialogUnits.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace {

TEST(FrameMath, WorkedExampleOnA400By300Canvas)
{
    const float sx = CanvasScale(400, 11);
    const float sy = CanvasScale(300, 11);
    EXPECT_EQ(static_cast<double>(sx), 38.900001525878906);
    EXPECT_EQ(static_cast<double>(sy), 28.899999618530273);
    const struct {
        float x, y;
        int px, py;
    } rows[] = {{5.0f, 5.0f, 194, 144}, {2.5f, 7.5f, 97, 72}, {10.0f, 10.0f, 389, 0}, {0.0f, 0.0f, 0, 288}};
    for (const auto& r : rows) {
        const DiscPixel corner = DiscCorner(r.x, r.y, sx, sy);
        EXPECT_EQ(corner.x, r.px) << r.x << ", " << r.y;
        EXPECT_EQ(corner.y, r.py) << r.x << ", " << r.y; // (0, 0): just below 289
    }
}

TEST(FrameMath, TruncatesTowardZeroAndClampsTheUnrepresentable)
{
    EXPECT_LT(CanvasScale(5, 11), 0.0f); // a canvas narrower than a disc
    EXPECT_EQ(DiscCorner(-0.05f, 10.0f, 10.0f, 10.0f).x, 0);
    EXPECT_EQ(DiscCorner(-0.15f, 10.0f, 10.0f, 10.0f).x, -1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float x, y;
        int px, py;
    } rows[] = {{nan, nan, 0, 0}, {inf, -inf, kPixelLimit, kPixelLimit}, {-3e38f, 3e38f, -kPixelLimit, -kPixelLimit}};
    for (const auto& r : rows) {
        const DiscPixel corner = DiscCorner(r.x, r.y, 38.9f, 28.9f);
        EXPECT_EQ(corner.x, r.px) << r.x;
        EXPECT_EQ(corner.y, r.py) << r.y;
    }
}

TEST(FrameMath, DialogUnitsRoundLikeMulDiv)
{
    EXPECT_EQ(MulDivRound(3, 6, 4), 5);   // 4.5 rounds up
    EXPECT_EQ(MulDivRound(-3, 6, 4), -5); // and away from zero below it
    EXPECT_EQ(MulDivRound(1, 1, 0), -1);
    EXPECT_EQ(MulDivRound(0x7fffffff, 4, 1), -1);
    EXPECT_EQ(BaseUnitX(6 * 52 + 40), 7); // an average of 6.77 rounds up
    const PixelRect r = DialogUnitsToPixels(344, 288, 294, 285, 6, 13);
    EXPECT_EQ(std::make_tuple(r.x, r.y, r.cx, r.cy), std::make_tuple(516, 468, 441, 463)); // cy: 463.125
}

} // namespace
