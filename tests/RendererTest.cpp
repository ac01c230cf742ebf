// SPDX-License-Identifier: MIT
#include "SwarmRenderer.h"

#include "CanvasMapping.h"

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

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kGrey = 0xffc0c0c0;

TEST(SwarmRenderer, WorkedExampleDrawsTheFrameTheDiscsAndTheHighlights)
{
    QImage b(400, 300, QImage::Format_RGB32);
    const Particle particles[] = {{5, 5, 0, 0, 0}, {2.5f, 7.5f, 0, 0, 0}, {10, 10, 0, 0, 0}, {0, 0, 0, 0, 0}};
    RenderSwarm(b, particles, 4, 1, 3, kDotSize);
    struct Probe {
        int x, y;
        QRgb rgb;
    };
    const Probe probes[] = {
        {0, 150, kBlack}, {200, 0, kBlack}, {1, 1, kGrey}, // the frame and the grey inside
        // (5, 5): white with a black outline, in the box 194..204 by 144..154.
        {199, 149, kWhite}, {194, 149, kBlack}, {204, 149, kBlack}, {199, 144, kBlack}, {199, 154, kBlack},
        {193, 149, kGrey}, {205, 149, kGrey}, {199, 155, kGrey},
        {102, 77, kGrey}, {97, 77, kWhite}, {102, 72, kWhite}, // (2.5, 7.5), hovered: grey, white outline
        {394, 5, kWhite}, {399, 5, kBlack},                    // (10, 10) reaches the right edge
        {5, 293, kGrey}, {5, 298, kWhite},                     // (0, 0), dragged, reaches the bottom
    };
    for (const Probe& p : probes)
        EXPECT_EQ(b.pixel(p.x, p.y), p.rgb) << "pixel " << p.x << ", " << p.y;
}

TEST(SwarmRenderer, NoParticlesIsTheFramedGreyArea)
{
    QImage b(120, 90, QImage::Format_RGB32);
    RenderSwarm(b, nullptr, 0, -1, -1, kDotSize);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool edge = x == 0 || y == 0 || x == 119 || y == 89;
            ASSERT_EQ(b.pixel(x, y), edge ? kBlack : kGrey) << x << ", " << y;
        }
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

TEST(SwarmRenderer, AtEveryRatioTheDiscsAreAlikeRoundAndClosed)
{
    // Particles on a grid, apart from each other and from the edges.
    std::vector<Particle> particles;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j)
            particles.push_back({1.3f + 1.9f * i + 0.07f * j, 1.1f + 2.3f * j + 0.03f * i, 0, 0, 0});
    const int count = static_cast<int>(particles.size());
    for (const double ratio : {0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const CanvasView canvas{511, 458, ratio};
        const DiscShape disc = DiscAt(kDotSize, ratio);
        QImage image(DeviceSize(canvas), QImage::Format_RGB32);
        RenderSwarm(image, canvas, particles.data(), count, 2, -1, kDotSize);
        // The frame is as wide as a disc's outline.
        EXPECT_EQ(image.pixel(disc.rim - 1, 40), kBlack);
        EXPECT_EQ(image.pixel(disc.rim, 40), kGrey);
        EXPECT_EQ(image.pixel(image.width() - disc.rim, 40), kBlack);
        EXPECT_EQ(image.pixel(image.width() - disc.rim - 1, 40), kGrey);

        const float sx = CanvasScale(canvas.width, kDotSize);
        const float sy = CanvasScale(canvas.height, kDotSize);
        QImage first;
        for (int i = 0; i < count; ++i) {
            const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
            const QImage d = image.copy(DevicePixel(corner.x, ratio), DevicePixel(corner.y, ratio), disc.side, disc.side);
            if (i == 2) {
                EXPECT_EQ(d.pixel(disc.side / 2, disc.side / 2), kGrey) << "the highlighted disc";
                continue;
            }
            if (first.isNull())
                first = d;
            ASSERT_EQ(d, first) << "disc " << i;
        }
        // Round: the same under each mirror and the transposition.
        EXPECT_EQ(first.mirrored(true, false), first);
        EXPECT_EQ(first.mirrored(false, true), first);
        for (int y = 0; y < disc.side; ++y)
            for (int x = 0; x < y; ++x)
                ASSERT_EQ(first.pixel(x, y), first.pixel(y, x)) << x << ", " << y;
        // The outline along the middle row is `rim` wide, and the inside touches no
        // pixel of the background side by side.
        const int mid = disc.side / 2;
        int rim = 0;
        for (int x = 0; x < disc.side && first.pixel(x, mid) != kWhite; ++x)
            rim += first.pixel(x, mid) == kBlack;
        EXPECT_EQ(rim, disc.rim);
        for (int y = 0; y < disc.side; ++y)
            for (int x = 0; x < disc.side; ++x) {
                if (first.pixel(x, y) != kWhite)
                    continue;
                for (auto [nx, ny] : {std::pair{x - 1, y}, std::pair{x + 1, y}, std::pair{x, y - 1}, std::pair{x, y + 1}})
                    ASSERT_TRUE(first.valid(nx, ny) && first.pixel(nx, ny) != kGrey) << x << ", " << y;
            }
    }
}

TEST(SwarmRenderer, AnImageSmallerThanTheCanvasShowsItsTopLeftPart)
{
    const std::vector<Particle> particles = Swarm(7, 200);
    const int count = static_cast<int>(particles.size());
    for (const double ratio : {1.0, 1.5, 2.0}) {
        const CanvasView canvas{300, 200, ratio};
        QImage whole(DeviceSize(canvas), QImage::Format_RGB32);
        RenderSwarm(whole, canvas, particles.data(), count, 5, -1, kDotSize);
        QImage part(DevicePixel(170, ratio), DevicePixel(120, ratio), QImage::Format_RGB32);
        RenderSwarm(part, canvas, particles.data(), count, 5, -1, kDotSize);
        EXPECT_EQ(part, whole.copy(part.rect())) << "ratio " << ratio;
    }
}

} // namespace
