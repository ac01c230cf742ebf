// SPDX-License-Identifier: MIT
#include "ParticleRules.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kClampFactor = static_cast<double>(0.1f);

} // namespace

void PairSums(const Particle* cur, int count, int i, double attraction, double repulsion,
              double& fx, float& fy)
{
    const Particle& s = cur[i];
    double sumX = 0.0; // held in double over the whole sum
    float sumY = 0.0f; // rounded to single after every addition and subtraction
    for (int j = 0; j < count; ++j) {
        if (j == i)
            continue;
        const Particle& o = cur[j];
        const float dx = static_cast<float>(static_cast<double>(o.x) - s.x);
        const double dyd = static_cast<double>(o.y) - s.y;
        const float dy = static_cast<float>(dyd);
        // The y term multiplies the unrounded difference by its rounded value.
        const double r = std::sqrt(dyd * dy + static_cast<double>(dx) * dx);
        if (!(r > kMinPairDistance)) // also skips a distance that is not a number
            continue;
        const float rs = static_cast<float>(r);
        const float r4 = static_cast<float>(((static_cast<double>(rs) * rs) * rs) * rs);
        const double qa = attraction / r4;
        const float ax = static_cast<float>(dx * qa);
        const float ay = static_cast<float>(dy * qa);
        sumX = sumX + ax;
        sumY = static_cast<float>(static_cast<double>(sumY) + ay);
        const double qr = repulsion / ((static_cast<double>(r4) * rs) * rs);
        const float rx = static_cast<float>(qr * dx);
        const float ry = static_cast<float>(qr * dy);
        sumX = sumX - rx;
        sumY = static_cast<float>(static_cast<double>(sumY) - ry);
    }
    fx = sumX;
    fy = sumY;
}

void FinishParticle(const Particle& s, Particle& n, double fx, float fy, double frictionFactor)
{
    n.vx = static_cast<float>(fx + s.vx);
    n.vy = static_cast<float>(static_cast<double>(fy) + s.vy);
    n.vx = static_cast<float>(frictionFactor * n.vx);
    n.vy = static_cast<float>(frictionFactor * n.vy);
    // An infinite component (from an infinite or enormous coefficient) would keep
    // the clamp below from ever ending; it becomes 0 instead. A component that is
    // not a number ends the clamp at once, and its coordinate goes onto the wall at 0.
    if (std::isinf(n.vx))
        n.vx = 0.0f;
    if (std::isinf(n.vy))
        n.vy = 0.0f;
    // The clamp divides the speed by about ten per pass; it does not scale to 0.5.
    // A square of at most 0.25 has a root of at most 0.5 (0.25's root is exact and
    // the rounded root never falls as its argument grows), so only a larger one
    // needs the root, which shares the divider with the pair sums.
    for (;;) {
        const double square = static_cast<double>(n.vx) * n.vx + static_cast<double>(n.vy) * n.vy;
        if (!(square > kMaxSpeed * kMaxSpeed) || !(std::sqrt(square) > kMaxSpeed))
            break;
        n.vx = static_cast<float>(n.vx * kClampFactor);
        n.vy = static_cast<float>(n.vy * kClampFactor);
    }
    // The position moves by the new, damped and clamped velocity of this frame.
    n.x = static_cast<float>(static_cast<double>(s.x) + n.vx);
    n.y = static_cast<float>(static_cast<double>(s.y) + n.vy);
    ReflectAxis(n.x, n.vx);
    ReflectAxis(n.y, n.vy);
    // Which NaN an operation returns (its sign and payload) is the instruction
    // set's and the compiler's choice; a velocity that is not a number is stored
    // as the one quiet NaN, so that every build and every kernel keeps the same bits.
    if (std::isnan(n.vx))
        n.vx = std::numeric_limits<float>::quiet_NaN();
    if (std::isnan(n.vy))
        n.vy = std::numeric_limits<float>::quiet_NaN();
}

void ReflectAxis(float& position, float& velocity)
{
    // 0 and 10 themselves are inside; the position is put on the wall, not mirrored.
    if (!(position >= 0.0f)) {
        position = 0.0f;
        velocity = -velocity;
    } else if (position > kWall) {
        position = kWall;
        velocity = -velocity;
    }
}
