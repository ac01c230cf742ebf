#include "ParticleSystem.h"

#include "FastStep.h"
#include "RandomUnit.h"
#include "ScatterGrid.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>

namespace {

// Pairs no farther apart than this (the single-precision value of 0.00001,
// compared in double with the unrounded distance) exert no force.
constexpr double kMinPairDistance = static_cast<double>(0.00001f);
constexpr double kMaxSpeed = 0.5;
constexpr double kClampFactor = static_cast<double>(0.1f);
constexpr int kMaxCandidates = 1000;
constexpr int kMaxArrayBytes = INT_MAX;

void ReleaseArrays(ParticleSystem& ps)
{
    delete[] ps.m_pBufA;
    delete[] ps.m_pBufB;
    DeleteStepScratch(ps.m_pScratch);
    ps.m_pScratch = nullptr;
    ps.m_pBufA = nullptr;
    ps.m_pBufB = nullptr;
    ps.m_nCount = 0;
    ps.m_pCur = nullptr;
    ps.m_pNext = nullptr;
}

} // namespace

ParticleSystem::~ParticleSystem()
{
    ReleaseArrays(*this);
}

bool ParticleSystem::SetCount(int count)
{
    ReleaseArrays(*this);
    if (count > 0) {
        // A count whose arrays cannot be represented or allocated leaves the store
        // empty rather than holding a count without arrays. An array is kept within
        // a signed 32-bit byte size, so that a count such as 2,000,000,000 fails on
        // every machine instead of depending on how much memory the system promises.
        if (count > kMaxArrayBytes / static_cast<int>(sizeof(Particle)))
            return false;
        m_pBufA = new (std::nothrow) Particle[static_cast<std::size_t>(count)];
        m_pBufB = m_pBufA ? new (std::nothrow) Particle[static_cast<std::size_t>(count)] : nullptr;
        if (!m_pBufA || !m_pBufB) {
            ReleaseArrays(*this);
            return false;
        }
        m_nCount = count;
        m_pScratch = NewStepScratch(count);
    }
    m_pCur = m_pBufA;
    m_pNext = m_pBufB;
    return true;
}

void ParticleSystem::Scatter(float centerX, float centerY, float radius, float minSeparation, float maxSpeed)
{
    if (!ScatterWithGrid(m_pCur, m_nCount, centerX, centerY, radius, minSeparation, maxSpeed))
        ScatterPlain(centerX, centerY, radius, minSeparation, maxSpeed);
}

void ParticleSystem::ScatterPlain(float centerX, float centerY, float radius, float minSeparation, float maxSpeed)
{
    if (m_nCount <= 0)
        return;
    // With a negative (or NaN) radius no displacement is ever inside the disc and
    // the draw would never end.
    if (!(radius >= 0.0f))
        return;
    const double cx = centerX, cy = centerY, rad = radius, minSep = minSeparation, speed = maxSpeed;
    for (int i = 0; i < m_nCount; ++i) {
        Particle& p = m_pCur[i];
        for (int tries = 0; tries < kMaxCandidates;) {
            // A displacement inside the disc: the first draw moves y, the second x.
            float dy;
            double dx;
            do {
                dy = static_cast<float>((RandomUnit() * rad) * 2.0 - rad);
                dx = (RandomUnit() * rad) * 2.0 - rad;
            } while (std::sqrt(dx * dx + static_cast<double>(dy) * dy) > rad);
            p.x = static_cast<float>(cx + dx);
            p.y = static_cast<float>(cy + dy);

            bool tooClose = false;
            for (int k = 0; k < i; ++k) {
                const double ey = static_cast<double>(p.y) - m_pCur[k].y;
                const double ex = static_cast<double>(p.x) - m_pCur[k].x;
                if (std::sqrt(ey * ey + ex * ex) < minSep) {
                    tooClose = true;
                    break;
                }
            }
            ++tries;
            if (!tooClose)
                break;
            // After 1000 candidates that were all too close, the last one stays.
        }
        // The first velocity draw goes to vy, the second to vx.
        p.vy = static_cast<float>((2.0 * RandomUnit() - 1.0) * speed);
        p.vx = static_cast<float>((2.0 * RandomUnit() - 1.0) * speed);
    }
}

void ParticleSystem::Step()
{
    // Tiny counts go straight to the literal loop, which is fastest for them.
    if (m_nCount < kFastStepFrom || !StepFast(*this)) {
        StepPlain();
        return;
    }
    // The store is not empty here, so the two views name the two arrays and
    // exchanging them is the literal step's exchange.
    Particle* const written = m_pNext;
    m_pNext = m_pCur;
    m_pCur = written;
}

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
    while (std::sqrt(static_cast<double>(n.vx) * n.vx + static_cast<double>(n.vy) * n.vy) > kMaxSpeed) {
        n.vx = static_cast<float>(n.vx * kClampFactor);
        n.vy = static_cast<float>(n.vy * kClampFactor);
    }
    // The position moves by the new, damped and clamped velocity of this frame.
    n.x = static_cast<float>(static_cast<double>(s.x) + n.vx);
    n.y = static_cast<float>(static_cast<double>(s.y) + n.vy);
    ParticleSystem::ReflectAxis(n.x, n.vx);
    ParticleSystem::ReflectAxis(n.y, n.vy);
}

void ParticleSystem::StepPlain()
{
    const double attraction = m_fAttraction;
    const double repulsion = m_fRepulsion;
    const double frictionFactor = 1.0 - static_cast<double>(m_fFriction);
    for (int i = 0; i < m_nCount; ++i) {
        double fx;
        float fy;
        PairSums(m_pCur, m_nCount, i, attraction, repulsion, fx, fy);
        FinishParticle(m_pCur[i], m_pNext[i], fx, fy, frictionFactor);
    }
    if (m_pCur == m_pBufA) {
        m_pCur = m_pBufB;
        m_pNext = m_pBufA;
    } else {
        m_pCur = m_pBufA;
        m_pNext = m_pBufB;
    }
}

void ParticleSystem::ReflectAxis(float& position, float& velocity)
{
    // 0 and 10 themselves are inside; the position is put on the wall, not mirrored.
    if (!(position >= 0.0f)) {
        position = 0.0f;
        velocity = -velocity;
    } else if (position > 10.0f) {
        position = 10.0f;
        velocity = -velocity;
    }
}
