// SPDX-License-Identifier: MIT
#include "SwarmRenderer.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// Particles over and beyond the box, so that discs lie wholly inside, across every
// edge and wholly outside; a tight cluster, so that discs overlap; and the values
// that map to the far ends of the pixel range.
std::vector<Particle> Swarm(unsigned seed, int count)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> wide(-1.5f, 11.5f);
    std::uniform_real_distribution<float> cluster(4.9f, 5.1f);
    std::vector<Particle> particles;
    for (int i = 0; i < count; ++i) {
        if (i % 3 == 0)
            particles.push_back({cluster(random), cluster(random), 0, 0, 0});
        else
            particles.push_back({wide(random), wide(random), 0, 0, 0});
    }
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (Particle p : {Particle{0, 0, 0, 0, 0}, Particle{10, 10, 0, 0, 0}, Particle{0, 10, 0, 0, 0},
                       Particle{10, 0, 0, 0, 0}, Particle{nan, nan, 0, 0, 0}, Particle{inf, -inf, 0, 0, 0},
                       Particle{-1e30f, 1e30f, 0, 0, 0}})
        particles.push_back(p);
    return particles;
}

TEST(SwarmRenderer, CopiedDiscsGiveThePaintersPicture)
{
    const struct {
        int width, height, dotSize;
        QImage::Format format;
    } cases[] = {
        {400, 300, 11, QImage::Format_RGB32},   // the worked example's canvas
        {573, 391, 11, QImage::Format_RGB32},   // the start canvas, more or less
        {1, 1, 11, QImage::Format_RGB32},       // smaller than a disc: negative scales
        {7, 60, 11, QImage::Format_RGB32},      // narrower than a disc
        {11, 11, 11, QImage::Format_RGB32},     // exactly one disc: zero scales
        {240, 130, 11, QImage::Format_ARGB32_Premultiplied},
        {200, 200, 2, QImage::Format_RGB32},    // the smallest disc a sprite takes
        {200, 200, 6, QImage::Format_RGB32},
        {300, 170, 24, QImage::Format_ARGB32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " disc " << c.dotSize << " format "
                                        << c.format);
        const std::vector<Particle> particles = Swarm(static_cast<unsigned>(c.width * 1000 + c.height), 300);
        const int count = static_cast<int>(particles.size());
        // Highlights none, one (hovered, in the cluster), and two different ones.
        for (auto [hover, drag] : {std::pair{-1, -1}, std::pair{3, -1}, std::pair{6, 301}}) {
            QImage painted(c.width, c.height, c.format);
            QImage copied(c.width, c.height, c.format);
            painted.fill(Qt::green); // every pixel is drawn over
            copied.fill(Qt::red);
            RenderSwarmPainted(painted, particles.data(), count, hover, drag, c.dotSize);
            RenderSwarm(copied, particles.data(), count, hover, drag, c.dotSize);
            EXPECT_TRUE(painted == copied) << "hover " << hover << " drag " << drag;
        }
    }
}

} // namespace
