// SPDX-License-Identifier: MIT
#include "PointerMath.h"



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
