// SPDX-License-Identifier: MIT
// The anchor layout against a window system of plain rectangles.

#include "ColumnFoot.h"
#include "ControlLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

int g_handles[300];
LayoutHandle H(int i)
{
    return &g_handles[i];
}
const LayoutHandle kParent = H(0), kCanvas = H(1), kButton = H(2), kBoth = H(3);

// A parent of 500 by 400 with a stretching canvas, a button that follows the right
// edge, and a control with every flag.
class ControlLayoutTest : public testing::Test, public LayoutWindows {
protected:
    std::map<LayoutHandle, LayoutRect> rects = {
        {kParent, {100, 100, 500, 400}}, {kCanvas, {6, 3, 440, 460}},
        {kButton, {465, 440, 46, 24}}, {kBoth, {10, 10, 20, 20}}};
    int placed = 0;
    ControlLayout layout;

    ControlLayoutTest()
    {
        layout.Init(256);
        layout.Add(*this, kCanvas, LAYOUT_SIZE_X | LAYOUT_SIZE_Y);
        layout.Add(*this, kButton, LAYOUT_MOVE_X | LAYOUT_SIZE_X);
        layout.Add(*this, kBoth, LAYOUT_MOVE_X | LAYOUT_MOVE_Y | LAYOUT_SIZE_X | LAYOUT_SIZE_Y);
    }
    LayoutRect WindowRect(LayoutHandle window) const override { return rects.at(window); }
    void Place(LayoutHandle control, int x, int y, int cx, int cy) override
    {
        rects[control] = {x, y, cx, cy};
        ++placed;
    }
    std::tuple<int, int, int, int> At(LayoutHandle h) const
    {
        const LayoutRect r = rects.at(h);
        return {r.x, r.y, r.cx, r.cy};
    }
    void Resize(int w, int h, ControlLayout& which)
    {
        rects[kParent] = {0, 0, w, h};
        which.Apply(*this, kParent, 0, 0);
    }
    void Resize(int w, int h) { Resize(w, h, layout); }
};

TEST_F(ControlLayoutTest, FirstApplyOnlyRecordsThenEveryApplyPlaces)
{
    Resize(700, 600);
    EXPECT_EQ(placed, 0);
    Resize(700, 600);
    EXPECT_EQ(placed, 3);
    EXPECT_EQ(At(kCanvas), std::make_tuple(6, 3, 440, 460));
}

TEST_F(ControlLayoutTest, GrowMovesTheColumnAndStretchesTheCanvas)
{
    Resize(500, 400);
    Resize(530, 450);
    EXPECT_EQ(At(kCanvas), std::make_tuple(6, 3, 470, 510));
    // A move flag wins over the size flag of its axis; nothing else moves down.
    EXPECT_EQ(At(kButton), std::make_tuple(495, 440, 46, 24));
    EXPECT_EQ(At(kBoth), std::make_tuple(40, 60, 20, 20));
}

TEST_F(ControlLayoutTest, RoundTripsRestoreEveryControlThroughNegativeSizes)
{
    const auto before = rects;
    Resize(500, 400);
    Resize(877, 733);
    Resize(0, 401); // 500 narrower than at the start: the canvas is 60 below zero wide
    EXPECT_EQ(layout.m_pSize[0].cx, -60);
    EXPECT_EQ(rects[kCanvas].cx, -60);
    Resize(500, 400);
    for (LayoutHandle h : {kCanvas, kButton, kBoth})
        EXPECT_EQ(At(h), std::make_tuple(before.at(h).x, before.at(h).y, before.at(h).cx, before.at(h).cy));
}

TEST_F(ControlLayoutTest, RegistrationBeyondCapacityIsIgnored)
{
    ControlLayout full;
    full.Init(256);
    for (int i = 0; i < 257; ++i) {
        rects[H(10 + i)] = {i, 0, 10, 10};
        full.Add(*this, H(10 + i), LAYOUT_MOVE_X);
    }
    EXPECT_EQ(full.m_nCount, 256);
    Resize(100, 100);
    Resize(100, 100, full);
    Resize(105, 100);
    Resize(105, 100, full);
    EXPECT_EQ(placed, 3 + 256);
    EXPECT_EQ(rects[H(10 + 255)].x, 260);
    EXPECT_EQ(rects[H(10 + 256)].x, 256); // the 257th never moves
    full.Free();
    EXPECT_EQ(full.m_phWnd, nullptr);
}

// At the least height the foot meets the column, a gap below it; taller, it keeps its places.
TEST(ColumnFoot, AtTheLeastHeightTheFootMeetsTheColumn)
{
    const FootControl foot[] = {{300, 20}, {330, 25}};
    const int least = ColumnFootMinimumHeight(foot, 2, 200, 7);
    const struct {
        int height, top0, top1;
    } rows[] = {{least, 207, 234}, {400, 300, 330}};
    for (const auto& r : rows) {
        int tops[2];
        FitColumnFoot(foot, 2, r.height, 7, tops);
        EXPECT_EQ(tops[0], r.top0) << r.height;
        EXPECT_EQ(tops[1], r.top1) << r.height;
    }
}

} // namespace
