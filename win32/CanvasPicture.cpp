// SPDX-License-Identifier: MIT
#include "CanvasPicture.h"

#include "CanvasMapping.h"

#include <algorithm>
#include <cmath>

namespace {

int Device(int value, double ratio)
{
    return PixelFromDouble(std::floor(value * ratio + 0.5));
}

void Put(PixelBuffer& b, int x, int y, std::uint32_t colour)
{
    if (x >= 0 && y >= 0 && x < b.width && y < b.height)
        b.pixels[static_cast<long long>(y) * b.stride + x] = colour;
}

} // namespace

void RenderSwarm(PixelBuffer& target, const CanvasView& canvas, const Particle* particles, int count, int hover,
                 int drag, int dotSize)
{
    const std::uint32_t grey = 0xffc0c0c0, white = 0xffffffff, black = 0xff000000;
    const int w = Device(canvas.width, canvas.ratio), h = Device(canvas.height, canvas.ratio);
    const int rim = std::max(1, Device(1, canvas.ratio));
    for (int y = 0; y < target.height; ++y)
        for (int x = 0; x < target.width; ++x)
            Put(target, x, y, (x < rim || y < rim || x >= w - rim || y >= h - rim) ? black : grey);
    const int side = std::max(1, Device(dotSize, canvas.ratio));
    const double radius = side / 2.0, inner = radius - rim;
    const float sx = CanvasScale(canvas.width, dotSize), sy = CanvasScale(canvas.height, dotSize);
    for (int i = 0; i < count; ++i) {
        const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
        const int cx = Device(corner.x, canvas.ratio), cy = Device(corner.y, canvas.ratio);
        const bool lit = i == hover || i == drag;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const double dx = x + 0.5 - radius, dy = y + 0.5 - radius, d2 = dx * dx + dy * dy;
                if (d2 <= radius * radius)
                    Put(target, cx + x, cy + y,
                        inner > 0 && d2 <= inner * inner ? (lit ? grey : white) : (lit ? white : black));
            }
    }
}

bool SavePicturePng(const PixelBuffer&, const std::string&, std::string& error)
{
    error = "pictures are not written yet";
    return false;
}
