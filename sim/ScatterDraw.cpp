// SPDX-License-Identifier: MIT
#include "ScatterDraw.h"

#include "RandomUnit.h"

#include <cmath>

void DrawCandidate(Particle& p, double centerX, double centerY, double radius)
{
    float dy;
    double dx;
    do {
        dy = static_cast<float>((RandomUnit() * radius) * 2.0 - radius);
        dx = (RandomUnit() * radius) * 2.0 - radius;
    } while (std::sqrt(dx * dx + static_cast<double>(dy) * dy) > radius);
    p.x = static_cast<float>(centerX + dx);
    p.y = static_cast<float>(centerY + dy);
}

void DrawVelocity(Particle& p, double maxSpeed)
{
    p.vy = static_cast<float>((2.0 * RandomUnit() - 1.0) * maxSpeed);
    p.vx = static_cast<float>((2.0 * RandomUnit() - 1.0) * maxSpeed);
}
