// SPDX-License-Identifier: MIT
#include "BitCompare.h"
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "ScatterGrid.h"

#include <cstddef>

#include <limits>
#include <vector>

namespace {

struct ScatterCall {
    int count;
    float centerX, centerY, radius, minSeparation, maxSpeed;
};

// Runs the literal scatter and the grid scatter from the same generator state
// and demands the same particles and the same number of draws.
void ExpectSameScatter(const std::vector<ScatterCall>& calls)
{
    PortableRandRestart();
    ParticleSystem plain;
    std::vector<std::vector<Particle>> plainResults;
    for (const ScatterCall& c : calls) {
        plain.SetCount(c.count);
        plain.ScatterPlain(c.centerX, c.centerY, c.radius, c.minSeparation, c.maxSpeed);
        plainResults.emplace_back(plain.m_pCur, plain.m_pCur + plain.m_nCount);
    }
    const std::uint32_t plainEnd = PortableRandState();

    PortableRandRestart();

    ParticleSystem fast;
    for (std::size_t k = 0; k < calls.size(); ++k) {
        const ScatterCall& c = calls[k];
        fast.SetCount(c.count);
        fast.Scatter(c.centerX, c.centerY, c.radius, c.minSeparation, c.maxSpeed);
        ASSERT_EQ(fast.m_nCount, static_cast<int>(plainResults[k].size()));
        // A scatter that places nothing leaves the new arrays as undefined as they came.
        if (!(c.radius >= 0.0f))
            continue;
        ASSERT_TRUE(SameParticles(plainResults[k].data(), fast.m_pCur, fast.m_nCount))
            << "scatter call " << k << " (count " << c.count << ", radius " << c.radius << ", separation "
            << c.minSeparation << ")";
    }
    EXPECT_EQ(PortableRandState(), plainEnd) << "the two scatters consumed different numbers of draws";
}

TEST(FastScatter, WindowArgumentsMatchTheLiteralScatter)
{
    // The start-up sequence, then the counts a user types, one after the other.
    ExpectSameScatter({{3, 5, 5, 5, 0.3f, 0},
                       {67, 5, 5, 5, 0.3f, 0},
                       {1, 5, 5, 5, 0.3f, 0},
                       {128, 5, 5, 5, 0.3f, 0},
                       {350, 5, 5, 5, 0.3f, 0},
                       {17, 5, 5, 5, 0.3f, 0.25f}});
}

TEST(FastScatter, TwoThousandInTheWindowsDiscMatch)
{
    // The largest count the fast step is made for: the disc is long full, and
    // most particles take their 1000th candidate.
    ExpectSameScatter({{2000, 5, 5, 5, 0.3f, 0}});
}

TEST(FastScatter, CrowdedDiscsMatchTheLiteralScatter)
{
    // Discs with far less room than the particles ask for: most candidates are
    // rejected and many particles keep their 1000th.
    ExpectSameScatter({{700, 5, 5, 5, 0.3f, 0}, // the window's disc, past the point where it is full
                       {60, 5, 5, 1, 0.3f, 0},
                       {40, 5, 5, 0.1f, 10, 0},
                       {90, 2, 7, 1.5f, 0.3f, 0.1f},
                       {30, 5, 5, 0.5f, 0.3f, 0}});
}

TEST(FastScatter, UnusualArgumentsMatchTheLiteralScatter)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ExpectSameScatter({{25, 5, 5, 5, 0, 0},              // no separation at all
                       {25, 5, 5, 5, -1, 0},             // a negative separation is never undercut
                       {25, 5, 5, 5, nan, 0},            // nor is one that is not a number
                       {25, 5, 5, 0, 0.3f, 0},           // every candidate on the centre
                       {5, 5, 5, 5, inf, 0},             // every finite pair too close
                       {25, 1e6f, -1e6f, 2, 0.3f, 0},    // far from the origin
                       {25, 3e38f, 3e38f, 3e38f, 1e37f, 0}, // coordinates that overflow to infinity
                       {25, nan, 5, 5, 0.3f, 0},         // a centre that is not a number
                       {25, 5, 5, 1e5f, 1e-3f, 0},       // many more cells than particles
                       {25, 5, 5, 5, 3e38f, 0},          // a separation larger than the disc
                       {1, 5, 5, 0, 0, 0},               // no room and no separation: one point, nothing to compare
                       {4, 5, 5, 0, -1, 0},
                       {4, 5, 5, 0, nan, 0},
                       {4, 0, 0, 0, 1e-45f, 0},          // a separation of one denormal about a centre at 0
                       {25, 5, 5, -1, 0.3f, 0},          // no displacement is ever accepted: nothing drawn
                       {25, 5, 5, nan, 0.3f, 0},
                       {5, 5, 5, inf, 0.3f, 0},          // a radius that is not finite
                       {0, 5, 5, 5, 0.3f, 0}});
}

TEST(FastScatter, GridsCoarsenedForLackOfMemoryMatchTheLiteralScatter)
{
    // The cell limit stands for an allocator that refuses larger grids: the
    // scatter must still use a grid, only a coarser one, and place every particle
    // as the literal scatter does.
    struct Case {
        int count;
        float radius, minSeparation;
        std::size_t maxCells;
    };
    const Case cases[] = {
        {700, 5, 0.3f, 9},      // the coarsest grid, 3 by 3 cells
        {700, 5, 0.3f, 30},     // a side between the halvings
        {700, 5, 0.3f, 400},
        {300, 5, 0.05f, 64},    // fine cells wanted, few allowed
        {200, 0.5f, 0.3f, 16},  // a crowded disc
        {50, 5, 0.3f, 2048},    // room for the finest grid, not for the raster
    };
    for (const Case& c : cases) {
        PortableRandRestart();
        ParticleSystem plain;
        plain.SetCount(c.count);
        plain.ScatterPlain(5, 5, c.radius, c.minSeparation, 0.1f);
        const std::uint32_t plainEnd = PortableRandState();

        PortableRandRestart();
        ParticleSystem grid;
        grid.SetCount(c.count);
        ASSERT_TRUE(ScatterWithGrid(grid.m_pCur, c.count, 5, 5, c.radius, c.minSeparation, 0.1f, {}, c.maxCells))
            << "fell back to the literal scatter with " << c.maxCells << " cells allowed";
        EXPECT_TRUE(SameParticles(plain.m_pCur, grid.m_pCur, c.count)) << c.maxCells << " cells allowed";
        EXPECT_EQ(PortableRandState(), plainEnd) << c.maxCells << " cells allowed";
    }
}

TEST(FastScatter, NoGridAtAllLeavesTheGeneratorForTheLiteralScatter)
{
    PortableRandRestart();
    const std::uint32_t start = PortableRandState();
    ParticleSystem ps;
    ps.SetCount(10);
    EXPECT_FALSE(ScatterWithGrid(ps.m_pCur, 10, 5, 5, 5, 0.3f, 0, {}, 8));
    EXPECT_EQ(PortableRandState(), start);
}

} // namespace
