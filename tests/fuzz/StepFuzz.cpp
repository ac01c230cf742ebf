// SPDX-License-Identifier: MIT
// Scatter and step with fuzzer-chosen floats: the grid scatter against the
// literal scatter (particles and generator state after), and the step of every
// kernel this CPU runs, on 1, 2 and an automatic number of threads, against the
// literal step, all bit for bit.

#include "FuzzCheck.h"
#include "ParticleSystem.h"
#include "RandomUnit.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

float Pick(FuzzedDataProvider& in)
{
    static constexpr float kInf = std::numeric_limits<float>::infinity();
    static const float kSpecial[] = {
        0.0f, -0.0f, 1.0f, -1.0f, 5.0f, 10.0f, 0.3f, 0.5f, 0.1f, 1e-5f, 9.99999974737875e-6f, 1.00001e-5f,
        kInf, -kInf, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
        std::bit_cast<float>(0x7f800001u), // a signalling NaN
        FLT_TRUE_MIN, -FLT_TRUE_MIN, FLT_MIN, FLT_MAX, -FLT_MAX, 3e38f, 1e-20f, 1e20f, 0.00009f, -0.04f,
    };
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return kSpecial[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
    case 1:
        return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
    case 2:
        return in.ConsumeFloatingPointInRange(-1.0f, 1.0f);
    default:
        return in.ConsumeFloatingPointInRange(-12.0f, 12.0f);
    }
}

bool SameBits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void RequireSameParticles(const Particle* expected, const Particle* actual, int count, const char* what)
{
    for (int i = 0; i < count; ++i) {
        const Particle& e = expected[i];
        const Particle& a = actual[i];
        FUZZ_REQUIRE(SameBits(e.x, a.x) && SameBits(e.y, a.y) && SameBits(e.vx, a.vx) && SameBits(e.vy, a.vy),
                     "%s: particle %d of %d is (%a %a %a %a), expected (%a %a %a %a)", what, i, count,
                     static_cast<double>(a.x), static_cast<double>(a.y), static_cast<double>(a.vx),
                     static_cast<double>(a.vy), static_cast<double>(e.x), static_cast<double>(e.y),
                     static_cast<double>(e.vx), static_cast<double>(e.vy));
    }
}

// Sizes the store and fills its current array with `fill`, so that a scatter
// that places nothing leaves the same particles in both stores.
void Sized(ParticleSystem& ps, int count, const Particle& fill)
{
    FUZZ_REQUIRE(ps.SetCount(count), "no arrays for %d particles", count);
    std::fill(ps.m_pCur, ps.m_pCur + count, fill);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    // Small counts, or counts around where a second thread starts to pay.
    const bool large = in.ConsumeIntegralInRange(0, 7) == 7;
    const int count = large ? in.ConsumeIntegralInRange(280, 320) : in.ConsumeIntegralInRange(0, 48);
    const std::uint32_t randomState = in.ConsumeIntegral<std::uint32_t>();
    const float centerX = Pick(in), centerY = Pick(in), radius = Pick(in), maxSpeed = Pick(in);
    // A crowded disc of hundreds makes the literal scatter compare for seconds.
    const float minSeparation = large ? 0.0f : Pick(in);
    const Particle fill{Pick(in), Pick(in), Pick(in), Pick(in), 0.0f};

    ParticleSystem literal;
    Sized(literal, count, fill);
    SetPortableRandState(randomState);
    literal.ScatterPlain(centerX, centerY, radius, minSeparation, maxSpeed);
    const std::uint32_t literalEnd = PortableRandState();

    ParticleSystem grid;
    Sized(grid, count, fill);
    SetPortableRandState(randomState);
    grid.Scatter(centerX, centerY, radius, minSeparation, maxSpeed);
    FUZZ_REQUIRE(PortableRandState() == literalEnd, "the scatters drew differently (radius %a, separation %a)",
                 static_cast<double>(radius), static_cast<double>(minSeparation));
    RequireSameParticles(literal.m_pCur, grid.m_pCur, count, "grid scatter");

    // Then any particle's fields may be overwritten: NaN, infinities, denormals.
    std::vector<Particle> start(literal.m_pCur, literal.m_pCur + count);
    for (int edits = in.ConsumeIntegralInRange(0, 8); edits > 0 && count > 0; --edits) {
        Particle& p = start[in.ConsumeIntegralInRange(0, count - 1)];
        float* fields[] = {&p.x, &p.y, &p.vx, &p.vy};
        *fields[in.ConsumeIntegralInRange(0, 3)] = Pick(in);
    }
    const float attraction = Pick(in), repulsion = Pick(in), friction = Pick(in);
    const int steps = in.ConsumeIntegralInRange(1, large ? 2 : 4);

    const auto prepare = [&](ParticleSystem& ps) {
        Sized(ps, count, fill);
        std::copy(start.begin(), start.end(), ps.m_pCur);
        ps.m_fAttraction = attraction;
        ps.m_fRepulsion = repulsion;
        ps.m_fFriction = friction;
    };
    ParticleSystem expected;
    prepare(expected);
    for (int s = 0; s < steps; ++s)
        expected.StepPlain();

    for (StepKernel kernel : {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512}) {
        if (!KernelSupported(kernel))
            continue;
        for (int threads : {1, 2, 0}) {
            ParticleSystem fast;
            prepare(fast);
            FUZZ_REQUIRE(SetStepKernel(fast.m_stepSettings, kernel), "%s refused", KernelName(kernel));
            fast.m_stepSettings.threads = threads;
            for (int s = 0; s < steps; ++s)
                fast.Step();
            FUZZ_REQUIRE((fast.m_pCur == fast.m_pBufA) == (expected.m_pCur == expected.m_pBufA),
                         "%s with %d threads left the other array current", KernelName(kernel), threads);
            char what[64];
            std::snprintf(what, sizeof what, "%s with %d threads, %d steps", KernelName(kernel), threads, steps);
            RequireSameParticles(expected.m_pCur, fast.m_pCur, count, what);
        }
    }
    return 0;
}
