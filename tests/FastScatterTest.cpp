#include "BitCompare.h"
#include "ParticleSystem.h"
#include "RandomUnit.h"

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
                       {25, 5, 5, -1, 0.3f, 0},          // no displacement is ever accepted: nothing drawn
                       {25, 5, 5, nan, 0.3f, 0},
                       {5, 5, 5, inf, 0.3f, 0},          // a radius that is not finite
                       {0, 5, 5, 5, 0.3f, 0}});
}

} // namespace
