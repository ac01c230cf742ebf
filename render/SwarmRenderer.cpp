// SPDX-License-Identifier: MIT
#include "SwarmRenderer.h"

#include "CanvasMapping.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kBlack = 0xff000000;
constexpr std::uint32_t kWhite = 0xffffffff;

// One disc kept as runs of pixels: the pixels of each run, left to right, then
// copied per row.
struct DiscRun {
    int dy;    // row, from the disc's corner
    int dx;    // first column, from the disc's corner
    int first; // index of its first pixel in `pixels`
    int length;
};

struct DiscSprite {
    std::vector<DiscRun> runs;
    std::vector<std::uint32_t> pixels;
};

// The disc of DiscAt. Symmetric under every mirror and quarter turn of the box,
// and closed: a pixel of the inside has no side in common with one outside the
// disc, as side neighbours' centres are 1 apart.
DiscSprite MakeSprite(DiscShape shape, bool highlighted)
{
    const std::uint32_t fill = highlighted ? kCanvasBackground : kWhite;
    const std::uint32_t outline = highlighted ? kWhite : kBlack;
    const double radius = shape.side / 2.0;
    const double inner = radius - shape.rim;
    DiscSprite sprite;
    for (int y = 0; y < shape.side; ++y) {
        const double dy = y + 0.5 - radius;
        int x = 0;
        while (x < shape.side) {
            const double dx = x + 0.5 - radius;
            if (dx * dx + dy * dy > radius * radius) {
                ++x;
                continue;
            }
            const int start = x;
            DiscRun run{y, start, static_cast<int>(sprite.pixels.size()), 0};
            for (; x < shape.side; ++x) {
                const double ex = x + 0.5 - radius;
                const double d2 = ex * ex + dy * dy;
                if (d2 > radius * radius)
                    break;
                sprite.pixels.push_back(inner > 0 && d2 <= inner * inner ? fill : outline);
            }
            run.length = x - start;
            sprite.runs.push_back(run);
        }
    }
    return sprite;
}

struct SpriteCache {
    int dotSize = 0;
    double ratio = 0.0;
    DiscSprite normal;
    DiscSprite highlighted;
};

const SpriteCache& Sprites(int dotSize, double ratio)
{
    thread_local SpriteCache cache;
    if (cache.dotSize != dotSize || cache.ratio != ratio) {
        cache.normal = MakeSprite(DiscAt(dotSize, ratio), false);
        cache.highlighted = MakeSprite(DiscAt(dotSize, ratio), true);
        cache.dotSize = dotSize;
        cache.ratio = ratio;
    }
    return cache;
}

// Fills the part of the rectangle x0..x1, y0..y1 (exclusive) that lies in the pixels.
void FillRect(PixelBuffer& target, long long x0, long long y0, long long x1, long long y1, std::uint32_t colour)
{
    x0 = std::max(x0, 0LL);
    y0 = std::max(y0, 0LL);
    x1 = std::min<long long>(x1, target.width);
    y1 = std::min<long long>(y1, target.height);
    if (x1 <= x0)
        return;
    for (long long y = y0; y < y1; ++y) {
        std::uint32_t* line = target.Row(static_cast<int>(y));
        std::fill(line + x0, line + x1, colour);
    }
}

// The canvas's grey area and its frame, `rim` device pixels wide along the edges
// of the canvas's device area, where they fall inside the pixels.
void FillBackground(PixelBuffer& target, DeviceExtent device, int rim)
{
    FillRect(target, 0, 0, target.width, target.height, kCanvasBackground);
    const long long w = device.width;
    const long long h = device.height;
    FillRect(target, 0, 0, w, rim, kBlack);
    FillRect(target, 0, h - rim, w, h, kBlack);
    FillRect(target, 0, 0, rim, h, kBlack);
    FillRect(target, w - rim, 0, w, h, kBlack);
}

// Copies a disc's row of n pixels: in copies of four pixels, the last of them
// perhaps over pixels already copied, which the compiler makes a few moves,
// where a call per row took half of a frame's drawing. Rows of fewer than four
// are only in discs smaller than any drawn.
void CopyRow(std::uint32_t* to, const std::uint32_t* from, int n)
{
    if (n >= 4) {
        for (int k = 0; k + 4 < n; k += 4)
            std::memcpy(to + k, from + k, 4 * sizeof(std::uint32_t));
        std::memcpy(to + n - 4, from + n - 4, 4 * sizeof(std::uint32_t));
    } else {
        for (int k = 0; k < n; ++k)
            to[k] = from[k];
    }
}

// Copies the sprite's runs with the disc's corner at (x, y), cut at the edges.
void CopySprite(PixelBuffer& target, const DiscSprite& sprite, int x, int y, int side)
{
    if (x >= 0 && y >= 0 && x <= target.width - side && y <= target.height - side) {
        // Inside the pixels, as nearly all discs are.
        for (const DiscRun& run : sprite.runs)
            CopyRow(target.Row(y + run.dy) + x + run.dx, sprite.pixels.data() + run.first, run.length);
        return;
    }
    for (const DiscRun& run : sprite.runs) {
        const long long row = static_cast<long long>(y) + run.dy;
        if (row < 0 || row >= target.height)
            continue;
        long long left = static_cast<long long>(x) + run.dx;
        long long right = left + run.length;
        int skip = 0;
        if (left < 0) {
            skip = static_cast<int>(-left);
            left = 0;
        }
        right = std::min<long long>(right, target.width);
        if (right <= left)
            continue;
        std::memcpy(target.Row(static_cast<int>(row)) + left, sprite.pixels.data() + run.first + skip,
                    static_cast<std::size_t>(right - left) * sizeof(std::uint32_t));
    }
}

bool DiscVisible(int x, int y, int side, const PixelBuffer& target)
{
    return x < target.width && y < target.height && static_cast<long long>(x) + side > 0 &&
           static_cast<long long>(y) + side > 0;
}

} // namespace

int DevicePixel(int value, double ratio)
{
    return PixelFromDouble(std::floor(static_cast<double>(value) * ratio + 0.5));
}

DeviceExtent DeviceSize(const CanvasView& canvas)
{
    return {DevicePixel(canvas.width, canvas.ratio), DevicePixel(canvas.height, canvas.ratio)};
}

DiscShape DiscAt(int dotSize, double ratio)
{
    return {std::max(1, DevicePixel(dotSize, ratio)), std::max(1, DevicePixel(1, ratio))};
}

void RenderSwarm(PixelBuffer& target, const Particle* particles, int count, int hover, int drag, int dotSize)
{
    RenderSwarm(target, CanvasView{target.width, target.height, 1.0}, particles, count, hover, drag, dotSize);
}

void RenderSwarm(PixelBuffer& target, const CanvasView& canvas, const Particle* particles, int count, int hover,
                 int drag, int dotSize)
{
    if (target.IsEmpty())
        return;
    const DiscShape disc = DiscAt(dotSize, canvas.ratio);
    FillBackground(target, DeviceSize(canvas), disc.rim);
    const SpriteCache& sprites = Sprites(dotSize, canvas.ratio);
    const float sx = CanvasScale(canvas.width, dotSize);
    const float sy = CanvasScale(canvas.height, dotSize);
    for (int i = 0; i < count; ++i) {
        const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
        const int x = DevicePixel(corner.x, canvas.ratio);
        const int y = DevicePixel(corner.y, canvas.ratio);
        if (DiscVisible(x, y, disc.side, target))
            CopySprite(target, (i == hover || i == drag) ? sprites.highlighted : sprites.normal, x, y, disc.side);
    }
}
