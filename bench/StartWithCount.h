// SPDX-License-Identifier: MIT
#pragma once

// The window's start from a fresh random source, then a count typed into the Num
// box, copied into a store of the benchmark's own to step as it likes.

#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "SwarmSession.h"

#include <algorithm>
#include <string>

inline void StartWithCount(ParticleSystem& particles, int count)
{
    PortableRandRestart();
    SwarmSession session;
    session.Start();
    session.TypeText(ParamBox::Num, std::to_string(count));
    const ParticleSystem& started = session.Particles();
    particles.SetCount(started.m_nCount);
    std::copy(started.m_pCur, started.m_pCur + started.m_nCount, particles.m_pCur);
    particles.m_fAttraction = started.m_fAttraction;
    particles.m_fRepulsion = started.m_fRepulsion;
    particles.m_fFriction = started.m_fFriction;
}
