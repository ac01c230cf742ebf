// SPDX-License-Identifier: MIT
#include "SwarmRenderer.h"

#include "CanvasMapping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
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

constexpr std::uint32_t kBlack = 0xff000000;
constexpr std::uint32_t kWhite = 0xffffffff;
constexpr std::uint32_t kGrey = 0xffc0c0c0;

std::uint32_t Pixel(const PixelImage& image, int x, int y)
{
    return image.View().Row(y)[x];
}

// The side by side pixels with the corner at (x, y).
std::vector<std::uint32_t> Square(const PixelImage& image, int x, int y, int side)
{
    std::vector<std::uint32_t> square;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i)
            square.push_back(Pixel(image, x + i, y + j));
    return square;
}

TEST(SwarmRenderer, WorkedExampleDrawsTheFrameTheDiscsAndTheHighlights)
{
    PixelImage b(400, 300);
    const Particle particles[] = {{5, 5, 0, 0, 0}, {2.5f, 7.5f, 0, 0, 0}, {10, 10, 0, 0, 0}, {0, 0, 0, 0, 0}};
    RenderSwarm(b.View(), particles, 4, 1, 3, kDotSize);
    struct Probe {
        int x, y;
        std::uint32_t rgb;
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
        EXPECT_EQ(Pixel(b, p.x, p.y), p.rgb) << "pixel " << p.x << ", " << p.y;
}

TEST(SwarmRenderer, NoParticlesIsTheFramedGreyArea)
{
    PixelImage b(120, 90);
    RenderSwarm(b.View(), nullptr, 0, -1, -1, kDotSize);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool edge = x == 0 || y == 0 || x == 119 || y == 89;
            ASSERT_EQ(Pixel(b, x, y), edge ? kBlack : kGrey) << x << ", " << y;
        }
}

TEST(SwarmRenderer, AtRatioOneTheDiscIsTheSystemsElevenPixelEllipse)
{
    // '#' the outline, 'o' the inside, '.' the canvas around it: 28 and 69 pixels.
    const char* const rows[] = {"...#####...", "..#ooooo#..", ".#ooooooo#.", "#ooooooooo#", "#ooooooooo#",
                                "#ooooooooo#", "#ooooooooo#", "#ooooooooo#", ".#ooooooo#.", "..#ooooo#..",
                                "...#####..."};
    // (5, 5) on the worked example's canvas has its corner at 194, 144; highlighted
    // the outline is white and the inside grey.
    const Particle particle{5, 5, 0, 0, 0};
    for (const int hover : {-1, 0}) {
        PixelImage b(400, 300);
        RenderSwarm(b.View(), &particle, 1, hover, -1, kDotSize);
        const std::uint32_t outline = hover < 0 ? kBlack : kWhite;
        const std::uint32_t inside = hover < 0 ? kWhite : kGrey;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 11; ++x) {
                const char c = rows[y][x];
                EXPECT_EQ(Pixel(b, 194 + x, 144 + y), c == '#' ? outline : c == 'o' ? inside : kGrey)
                    << "hover " << hover << ", row " << y << ": " << rows[y] << ", column " << x;
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
        const DeviceExtent size = DeviceSize(canvas);
        PixelImage image(size.width, size.height);
        RenderSwarm(image.View(), canvas, particles.data(), count, 2, -1, kDotSize);
        // The frame is as wide as a disc's outline.
        EXPECT_EQ(Pixel(image, disc.rim - 1, 40), kBlack);
        EXPECT_EQ(Pixel(image, disc.rim, 40), kGrey);
        EXPECT_EQ(Pixel(image, size.width - disc.rim, 40), kBlack);
        EXPECT_EQ(Pixel(image, size.width - disc.rim - 1, 40), kGrey);

        const float sx = CanvasScale(canvas.width, kDotSize);
        const float sy = CanvasScale(canvas.height, kDotSize);
        std::vector<std::uint32_t> first;
        for (int i = 0; i < count; ++i) {
            const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
            const std::vector<std::uint32_t> d =
                Square(image, DevicePixel(corner.x, ratio), DevicePixel(corner.y, ratio), disc.side);
            if (i == 2) {
                EXPECT_EQ(d[(disc.side / 2) * disc.side + disc.side / 2], kGrey) << "the highlighted disc";
                continue;
            }
            if (first.empty())
                first = d;
            ASSERT_EQ(d, first) << "disc " << i;
        }
        // Round: the same under each mirror and the transposition.
        const int n = disc.side;
        const auto at = [&](int x, int y) { return first[static_cast<std::size_t>(y * n + x)]; };
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                ASSERT_EQ(at(x, y), at(n - 1 - x, y)) << x << ", " << y;
                ASSERT_EQ(at(x, y), at(x, n - 1 - y)) << x << ", " << y;
                ASSERT_EQ(at(x, y), at(y, x)) << x << ", " << y;
            }
        // The outline along the middle row is `rim` wide, and the inside touches no
        // pixel of the background side by side.
        const int mid = n / 2;
        int rim = 0;
        for (int x = 0; x < n && at(x, mid) != kWhite; ++x)
            rim += at(x, mid) == kBlack;
        EXPECT_EQ(rim, disc.rim);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                if (at(x, y) != kWhite)
                    continue;
                for (auto [nx, ny] : {std::pair{x - 1, y}, std::pair{x + 1, y}, std::pair{x, y - 1}, std::pair{x, y + 1}})
                    ASSERT_TRUE(nx >= 0 && ny >= 0 && nx < n && ny < n && at(nx, ny) != kGrey) << x << ", " << y;
            }
    }
}

TEST(SwarmRenderer, PixelsSmallerThanTheCanvasShowItsTopLeftPart)
{
    const std::vector<Particle> particles = Swarm(7, 200);
    const int count = static_cast<int>(particles.size());
    for (const double ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const CanvasView canvas{300, 200, ratio};
        const DeviceExtent size = DeviceSize(canvas);
        PixelImage whole(size.width, size.height);
        RenderSwarm(whole.View(), canvas, particles.data(), count, 5, -1, kDotSize);
        // The part, as pixels of their own and as a view into wider rows whose other
        // pixels stay as they were.
        const int width = DevicePixel(170, ratio);
        const int height = DevicePixel(120, ratio);
        PixelImage part(width, height);
        RenderSwarm(part.View(), canvas, particles.data(), count, 5, -1, kDotSize);
        PixelImage wider(width + 9, height);
        std::fill(wider.View().pixels, wider.View().pixels + (width + 9) * height, 0xff123456u);
        PixelBuffer view{width, height, width + 9, wider.View().pixels};
        RenderSwarm(view, canvas, particles.data(), count, 5, -1, kDotSize);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width + 9; ++x) {
                const std::uint32_t expected = Pixel(whole, x, y);
                if (x < width) {
                    ASSERT_EQ(Pixel(part, x, y), expected) << x << ", " << y;
                }
                ASSERT_EQ(Pixel(wider, x, y), x < width ? expected : 0xff123456u) << x << ", " << y;
            }
    }
}

} // namespace
