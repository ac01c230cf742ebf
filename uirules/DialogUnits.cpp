// SPDX-License-Identifier: MIT
#include "DialogUnits.h"

#include <climits>
#include <cstdint>

int MulDivRound(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const std::int64_t divisor = (c < 0 ? -static_cast<std::int64_t>(c) : c);
    std::int64_t result = (magnitude + divisor / 2) / divisor;
    if ((product < 0) != (c < 0))
        result = -result;
    if (result > INT_MAX || result < INT_MIN)
        return -1;
    return static_cast<int>(result);
}

int BaseUnitX(int alphabetWidth)
{
    return (alphabetWidth / 26 + 1) / 2;
}

PixelRect DialogUnitsToPixels(int x, int y, int cx, int cy, int baseX, int baseY)
{
    return {MulDivRound(x, baseX, 4), MulDivRound(y, baseY, 8), MulDivRound(cx, baseX, 4), MulDivRound(cy, baseY, 8)};
}
