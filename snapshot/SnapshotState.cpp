// SPDX-License-Identifier: MIT
#include "SnapshotState.h"

#include "ParticleSystem.h"
#include "RandomUnit.h"

#include <algorithm>

void CaptureParticles(const ParticleSystem& particles, Snapshot& snapshot)
{
    const int count = particles.m_pCur ? particles.m_nCount : 0;
    snapshot.particles.assign(particles.m_pCur, particles.m_pCur + count);
    snapshot.randomState = PortableRandState();
}

bool ApplyParticles(const Snapshot& snapshot, ParticleSystem& particles)
{
    if (snapshot.particles.size() > static_cast<std::size_t>(ParticleSystem::kMaxCount))
        return false;
    ParticleSystem fresh;
    if (!fresh.SetCount(static_cast<int>(snapshot.particles.size())))
        return false;
    // Both arrays get the particles, so that the reserved fields, which no step
    // writes, keep their values whichever array is current.
    std::copy(snapshot.particles.begin(), snapshot.particles.end(), fresh.m_pCur);
    std::copy(snapshot.particles.begin(), snapshot.particles.end(), fresh.m_pNext);
    // The new arrays take the place of the old ones, which `fresh` then releases.
    particles.SwapParticles(fresh);
    SetPortableRandState(snapshot.randomState);
    return true;
}
