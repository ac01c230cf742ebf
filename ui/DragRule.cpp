// SPDX-License-Identifier: MIT
#include "DragRule.h"

#include "Particle.h"

void HoldDragged(Particle& p, float mouseX, float mouseY, float grabDX, float grabDY)
{
    const float ox = p.x;
    const float oy = p.y;
    p.x = static_cast<float>(static_cast<double>(mouseX) - grabDX);
    p.y = static_cast<float>(static_cast<double>(mouseY) - grabDY);
    p.vx = static_cast<float>(p.vx * 0.5);
    p.vy = static_cast<float>(p.vy * 0.5);
    // The horizontal movement stays in double; the vertical one is stored as a
    // float before it is halved.
    p.vx = static_cast<float>(p.vx + (static_cast<double>(p.x) - ox) * 0.5);
    const float moveY = static_cast<float>(static_cast<double>(p.y) - oy);
    p.vy = static_cast<float>(p.vy + moveY * 0.5);
}
