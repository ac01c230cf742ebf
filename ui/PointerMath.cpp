// SPDX-License-Identifier: MIT
#include "PointerMath.h"

#include <cmath>

namespace {

// The single-precision constant nearest to 0.1; the scale multiplies by it.
constexpr double kTenth = static_cast<double>(0.1f);

} // namespace

PointerScale PointerScaleFor(int width, int height, int dotSize)
{
    const int half = dotSize / 2;
    // The sizes are taken to double before subtracting, so no int can overflow.
    const double across = (static_cast<double>(width) - half) * kTenth;
    const double down = (static_cast<double>(height) - half) * kTenth;
    PointerScale scale;
    if (across == 0.0 || down == 0.0)
        return scale; // a factor would be infinite: the canvas maps no pointer
    scale.ux = static_cast<float>(1.0 / across);
    scale.uy = 1.0 / down;
    scale.pickRadius = dotSize * static_cast<double>(scale.ux);
    scale.mappable = true;
    return scale;
}

bool MapPointer(const PointerScale& scale, int px, int py, float& worldX, float& worldY)
{
    if (!scale.mappable)
        return false;
    worldX = static_cast<float>(px * static_cast<double>(scale.ux));
    worldY = static_cast<float>(10.0 - py * scale.uy);
    return true;
}

int PickParticle(const Particle* particles, int count, float x, float y, double radius)
{
    for (int i = 0; i < count; ++i) {
        const double dx = static_cast<double>(particles[i].x) - x;
        const double dy = static_cast<double>(particles[i].y) - y;
        if (std::sqrt(dx * dx + dy * dy) < radius) // false for a distance that is not a number
            return i;
    }
    return -1;
}

int HoverIndex(int drag, const Particle* particles, int count, float x, float y, double radius)
{
    if (drag != -1)
        return drag;
    return PickParticle(particles, count, x, y, radius);
}

void GrabOffset(const Particle& p, float mouseX, float mouseY, float& grabDX, float& grabDY)
{
    grabDX = static_cast<float>(static_cast<double>(mouseX) - p.x);
    grabDY = static_cast<float>(static_cast<double>(mouseY) - p.y);
}
