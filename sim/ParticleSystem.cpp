// SPDX-License-Identifier: MIT
#include "ParticleSystem.h"

#include "FastStep.h"
#include "ParticleRules.h"
#include "ScatterDraw.h"
#include "ScatterGrid.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace {

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
        // empty rather than holding a count without arrays.
        if (count > kMaxCount)
            return false;
        // Zeroed, so that a saved state never holds leftover memory in the field
        // that nothing writes, and the same run always saves the same bytes.
        m_pBufA = new (std::nothrow) Particle[static_cast<std::size_t>(count)]();
        m_pBufB = m_pBufA ? new (std::nothrow) Particle[static_cast<std::size_t>(count)]() : nullptr;
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

void ParticleSystem::SwapParticles(ParticleSystem& other) noexcept
{
    std::swap(m_pBufA, other.m_pBufA);
    std::swap(m_pBufB, other.m_pBufB);
    std::swap(m_nCount, other.m_nCount);
    std::swap(m_pCur, other.m_pCur);
    std::swap(m_pNext, other.m_pNext);
    std::swap(m_pScratch, other.m_pScratch);
}

bool ParticleSystem::Scatter(float centerX, float centerY, float radius, float minSeparation, float maxSpeed)
{
    bool stopped = false;
    const std::function<bool()> shouldStop = [this, &stopped] { return stopped = m_shouldStop && m_shouldStop(); };
    if (!ScatterWithGrid(m_pCur, m_nCount, centerX, centerY, radius, minSeparation, maxSpeed, shouldStop))
        return ScatterPlain(centerX, centerY, radius, minSeparation, maxSpeed);
    return !stopped;
}

bool ParticleSystem::ScatterPlain(float centerX, float centerY, float radius, float minSeparation, float maxSpeed)
{
    if (m_nCount <= 0)
        return true;
    // With a negative (or NaN) radius no displacement is ever inside the disc and
    // the draw would never end.
    if (!(radius >= 0.0f))
        return true;
    const double cx = centerX, cy = centerY, rad = radius, minSep = minSeparation, speed = maxSpeed;
    for (int i = 0; i < m_nCount; ++i) {
        // Each particle is compared with every earlier one: look often.
        if (i % 64 == 0 && m_shouldStop && m_shouldStop())
            return false;
        Particle& p = m_pCur[i];
        for (int tries = 0; tries < kMaxCandidates;) {
            DrawCandidate(p, cx, cy, rad);

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
        DrawVelocity(p, speed);
    }
    return true;
}

bool ParticleSystem::Step()
{
    const StepFrame frame{m_pCur, m_pNext, m_nCount, m_fAttraction, m_fRepulsion, m_fFriction,
                          m_shouldStop ? &m_shouldStop : nullptr};
    switch (StepFast(frame, m_pScratch, m_stepSettings)) {
    case FastStep::NotTaken:
        return StepPlain();
    case FastStep::Abandoned:
        return false;
    case FastStep::Done:
        break;
    }
    ExchangeArrays();
    return true;
}

bool ParticleSystem::StepPlain()
{
    const double attraction = m_fAttraction;
    const double repulsion = m_fRepulsion;
    const double frictionFactor = 1.0 - static_cast<double>(m_fFriction);
    const bool look = m_shouldStop && m_nCount >= kStopCheckFrom;
    for (int i = 0; i < m_nCount; ++i) {
        // Every 256 rows of a long step: the next array is left partly written.
        if (look && i % 256 == 0 && m_shouldStop())
            return false;
        double fx;
        float fy;
        PairSums(m_pCur, m_nCount, i, attraction, repulsion, fx, fy);
        FinishParticle(m_pCur[i], m_pNext[i], fx, fy, frictionFactor);
    }
    ExchangeArrays();
    return true;
}

void ParticleSystem::ExchangeArrays() noexcept
{
    std::swap(m_pCur, m_pNext);
}
