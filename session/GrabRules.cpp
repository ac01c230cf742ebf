// SPDX-License-Identifier: MIT
#include "GrabRules.h"

#include <cmath>

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

HeldMotion StartHeldMotion(float mouseX, float mouseY, float grabDX, float grabDY)
{
    HeldMotion motion;
    motion.toX = static_cast<float>(static_cast<double>(mouseX) - grabDX);
    motion.toY = static_cast<float>(static_cast<double>(mouseY) - grabDY);
    return motion;
}

void TrackHeldFrame(HeldMotion& motion, float x, float y)
{
    ++motion.framesSince;
    if (x == motion.toX && y == motion.toY)
        return;
    motion = {motion.toX, motion.toY, x, y, motion.framesSince, 0};
}

void FlingVelocity(const HeldMotion& motion, double releaseTimeMs, double pointerTimeMs, float& vx, float& vy)
{
    const bool flung = motion.frames > 0 && releaseTimeMs - pointerTimeMs <= kFlingPauseMs;
    vx = flung ? static_cast<float>((static_cast<double>(motion.toX) - motion.fromX) * 0.5 / motion.frames) : 0.0f;
    vy = flung ? static_cast<float>((static_cast<double>(motion.toY) - motion.fromY) * 0.5 / motion.frames) : 0.0f;
}
