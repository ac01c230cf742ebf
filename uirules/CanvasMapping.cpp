// SPDX-License-Identifier: MIT
#include "CanvasMapping.h"

#include <cmath>

float CanvasScale(int size, int dotSize)
{
    return static_cast<float>(static_cast<double>(size - dotSize) * static_cast<double>(0.1f));
}

int PixelFromDouble(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= kPixelLimit)
        return kPixelLimit;
    if (value <= -kPixelLimit)
        return -kPixelLimit;
    return static_cast<int>(value);
}

DiscPixel DiscCorner(float x, float y, float sx, float sy)
{
    const double px = static_cast<double>(sx) * static_cast<double>(x);
    const double py = static_cast<double>(sy) * (10.0 - static_cast<double>(y));
    return {PixelFromDouble(px), PixelFromDouble(py)};
}
