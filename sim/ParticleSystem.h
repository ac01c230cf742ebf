// SPDX-License-Identifier: MIT
#pragma once

#include "Particle.h"
#include "StepSettings.h"

#include <climits>
#include <functional>

struct StepScratch;

// Two arrays of particles (the current state and the one the next step writes),
// the particle count and the three force coefficients. The fields are public:
// the owner reads the count and the current array, writes the coefficients and
// edits records of the current array directly.
//
// Numeric convention: arithmetic in double precision, rounding to single precision
// only where a value is stored into a float. Every rounding point is deliberate.
class ParticleSystem {
public:
    Particle* m_pBufA = nullptr; // first array, owned; null while empty
    Particle* m_pBufB = nullptr; // second array, owned; null while empty
    int m_nCount = 0;            // number of particles; 0 while empty
    Particle* m_pCur = nullptr;  // view: the array holding the current state
    Particle* m_pNext = nullptr; // view: the array the next Step writes

    // Written by the owner before the first Step; the store never changes them.
    float m_fAttraction = 0.0f; // far attraction, A / r^3 towards the other particle
    float m_fRepulsion = 0.0f;  // near repulsion, R / r^5 away from it
    float m_fFriction = 0.0f;   // fraction of the velocity that one step removes

    // Buffers of the fast step, allocated with the arrays; null while empty, or
    // when they could not be allocated (Step then runs the literal loop).
    StepScratch* m_pScratch = nullptr;

    // The kernel and thread count of this system's steps.
    StepSettings m_stepSettings;

    // Asked between chunks of long work (a scatter or a step of very many
    // particles), on the thread that called it; true abandons the work. Unset, never.
    std::function<bool()> m_shouldStop;

    // The largest count the store can hold: each of its arrays stays within a
    // signed 32-bit byte size, so that a count such as 2,000,000,000 fails on every
    // machine instead of depending on how much memory the system promises.
    static constexpr int kMaxCount = INT_MAX / static_cast<int>(sizeof(Particle));

    ParticleSystem() = default;
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // Discards every particle and makes room for `count` new ones, all fields 0;
    // a count of 0 or less leaves the store empty. Returns false when the arrays
    // cannot be allocated, in which case the store is left empty.
    bool SetCount(int count);

    // Exchanges the particles with `other`: both arrays, the count, the views and
    // the step's buffers. The coefficients and step settings stay with each system.
    void SwapParticles(ParticleSystem& other) noexcept;

    // Random placement of every particle of the current array inside the disc
    // about (centerX, centerY), each at least minSeparation from the ones before
    // it where 1000 candidates allow, with velocities up to maxSpeed per axis.
    // Needs a radius of 0 or more; any other radius places nothing. Looks for
    // too-close particles in a grid and gives the literal scatter's particles and
    // draws exactly. False when m_shouldStop abandoned it: the particles and the
    // generator are then partly drawn.
    bool Scatter(float centerX, float centerY, float radius, float minSeparation, float maxSpeed);

    // One frame of motion: forces from the current array, the new state written to
    // the next array, then the two arrays exchange roles. Runs the kernel of
    // m_stepSettings (see FastStep.h), which gives the literal step's floats bit for bit.
    // False when m_shouldStop abandoned it: the current array is then untouched.
    bool Step();

    // The literal implementations: every pair evaluated on its own, every
    // candidate compared with every earlier particle.
    bool StepPlain();
    bool ScatterPlain(float centerX, float centerY, float radius, float minSeparation, float maxSpeed);

private:
    // After a whole step: the array just written becomes the current one.
    void ExchangeArrays() noexcept;
};
