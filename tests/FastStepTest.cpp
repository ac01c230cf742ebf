// SPDX-License-Identifier: MIT
#include "BitCompare.h"
#include "FastStep.h"
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "SwarmParams.h"
#include "ThreadChoice.h"
#include "WorkerPool.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Coefficients {
    float attraction, repulsion, friction;
};

// A preset's coefficients, as the window stores them.
Coefficients PresetCoefficients(int preset)
{
    const PresetTexts& row = kPresets[preset];
    return {CoefficientFromText(row.attraction), CoefficientFromText(row.repulsion), CoefficientFromText(row.friction)};
}

// A small deterministic source for test configurations, apart from the
// simulation's own generator.
class TestRandom {
public:
    explicit TestRandom(std::uint32_t seed) : m_state(seed * 2654435761u + 1u) {}
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    float Uniform(float low, float high) { return low + (high - low) * static_cast<float>(Next() % 1000001) / 1e6f; }

private:
    std::uint32_t m_state;
};

struct KernelAndThreads {
    StepKernel kernel;
    int threads;
};

void PrintTo(const KernelAndThreads& p, std::ostream* os)
{
    *os << KernelName(p.kernel) << " with " << p.threads << " thread(s)";
}

std::string Name(const ::testing::TestParamInfo<KernelAndThreads>& info)
{
    return std::string(KernelName(info.param.kernel)) + "_" + std::to_string(info.param.threads) + "thread";
}

// Every test here steps with one kernel and a fixed thread count.
class FastStep : public ::testing::TestWithParam<KernelAndThreads> {
protected:
    void SetUp() override
    {
        if (!KernelSupported(GetParam().kernel))
            GTEST_SKIP() << "this CPU cannot run the " << KernelName(GetParam().kernel) << " kernel";
    }

    static void UseParam(ParticleSystem& ps)
    {
        ASSERT_TRUE(SetStepKernel(ps.m_stepSettings, GetParam().kernel));
        ps.m_stepSettings.threads = GetParam().threads;
        // More threads than most test machines have cores, from a pool of their
        // own, started only where a kernel that uses it runs.
        if (GetParam().threads == 4) {
            static WorkerPool four(3);
            ps.m_stepSettings.pool = &four;
        }
    }

    // Steps a copy of `start` with the literal step and another with Step, and
    // demands identical particles after every one of `steps` steps.
    static void ExpectSameSteps(const std::vector<Particle>& start, Coefficients k, int steps, const char* what)
    {
        const int count = static_cast<int>(start.size());
        ParticleSystem plain, fast;
        UseParam(fast);
        ASSERT_TRUE(plain.SetCount(count));
        ASSERT_TRUE(fast.SetCount(count));
        for (ParticleSystem* ps : {&plain, &fast}) {
            std::copy(start.begin(), start.end(), ps->m_pCur);
            ps->m_fAttraction = k.attraction;
            ps->m_fRepulsion = k.repulsion;
            ps->m_fFriction = k.friction;
        }
        for (int step = 1; step <= steps; ++step) {
            plain.StepPlain();
            fast.Step();
            ASSERT_EQ(fast.m_pCur == fast.m_pBufA, plain.m_pCur == plain.m_pBufA);
            ASSERT_TRUE(SameParticles(plain.m_pCur, fast.m_pCur, count))
                << what << ": " << count << " particles, step " << step << ", coefficients " << k.attraction
                << " " << k.repulsion << " " << k.friction;
        }
    }
};

std::vector<Particle> Scattered(int count)
{
    PortableRandRestart();
    ParticleSystem ps;
    ps.SetCount(count);
    ps.ScatterPlain(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
    return std::vector<Particle>(ps.m_pCur, ps.m_pCur + count);
}

TEST_P(FastStep, PresetsMatchTheLiteralStep)
{
    for (int p = 0; p < kPresetCount; ++p)
        ExpectSameSteps(Scattered(CountFromText(kPresets[p].num)), PresetCoefficients(p), 60, "preset");
}

TEST_P(FastStep, EveryCountAroundLaneAndBlockBoundariesMatches)
{
    // 1 to 17 covers every partial block of both widths; the rest sits on and
    // around multiples of the block widths.
    std::vector<int> counts;
    for (int n = 1; n <= 17; ++n)
        counts.push_back(n);
    for (int n : {23, 24, 25, 31, 32, 33, 39, 40, 41, 63, 64, 65, 127, 129})
        counts.push_back(n);
    for (int n : counts)
        ExpectSameSteps(Scattered(n), PresetCoefficients(n % kPresetCount), 12, "scattered");
}

// Random configurations with the awkward cases mixed in: particles on top of
// each other, pairs at and just beyond the no-force distance, positions outside
// the box, NaN and infinite coordinates, large velocities.
std::vector<Particle> Awkward(int count, std::uint32_t seed)
{
    TestRandom rnd(seed);
    std::vector<Particle> ps(static_cast<std::size_t>(count));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = 0; i < count; ++i) {
        Particle& p = ps[static_cast<std::size_t>(i)];
        p = {rnd.Uniform(-1, 11), rnd.Uniform(-1, 11), rnd.Uniform(-0.3f, 0.3f), rnd.Uniform(-0.3f, 0.3f), 0.0f};
        if (i == 0)
            continue;
        const Particle& q = ps[rnd.Next() % static_cast<std::uint32_t>(i)];
        switch (rnd.Next() % 12) {
        case 0: // coincident
            p.x = q.x;
            p.y = q.y;
            break;
        case 1: // exactly at the single-precision 0.00001 along one axis
            p.x = q.x + 0.00001f;
            p.y = q.y;
            break;
        case 2: // just beyond it
            p.x = q.x + 0.0000101f;
            p.y = q.y;
            break;
        case 3: // diagonally close
            p.x = q.x + 0.000007f;
            p.y = q.y - 0.000007f;
            break;
        case 4:
            p.x = nan;
            break;
        case 5:
            p.y = (rnd.Next() & 1) ? inf : -inf;
            break;
        case 6: // far outside
            p.x = rnd.Uniform(-1e4f, 1e4f);
            break;
        case 7:
            p.vx = rnd.Uniform(-5, 5);
            break;
        case 8: // very close, so the forces are huge
            p.x = q.x + 0.001f;
            p.y = q.y + 0.0005f;
            break;
        default:
            break;
        }
    }
    return ps;
}

TEST_P(FastStep, AwkwardConfigurationsMatch)
{
    const Coefficients coefficients[] = {
        PresetCoefficients(0),
        PresetCoefficients(1),
        {0.0f, 0.0f, 0.0f},
        {-0.001f, 0.0005f, -0.5f}, // negative friction amplifies
        {0.01f, -0.002f, 2.5f},
        {1e30f, 1e30f, 0.1f},      // forces that overflow
        {std::numeric_limits<float>::infinity(), 0.0f, 0.1f},
        {0.0f, -std::numeric_limits<float>::infinity(), 0.1f},
        {std::numeric_limits<float>::quiet_NaN(), 0.001f, 0.1f},
    };
    std::uint32_t seed = 1;
    for (const Coefficients& k : coefficients) {
        for (int n : {2, 7, 9, 16, 19, 33, 70}) {
            ExpectSameSteps(Awkward(n, seed), k, 8, "awkward");
            ++seed;
        }
    }
}

TEST_P(FastStep, CrowdedClustersMatch)
{
    // Everybody near one point: many pairs inside and around the no-force distance.
    TestRandom rnd(99);
    for (int n : {8, 24, 100}) {
        std::vector<Particle> ps(static_cast<std::size_t>(n));
        for (Particle& p : ps)
            p = {5.0f + rnd.Uniform(-2e-5f, 2e-5f), 5.0f + rnd.Uniform(-2e-5f, 2e-5f), 0.0f, 0.0f, 0.0f};
        ExpectSameSteps(ps, PresetCoefficients(0), 5, "cluster");
        ExpectSameSteps(ps, PresetCoefficients(1), 5, "cluster");
    }
}

TEST_P(FastStep, ThousandParticlesOverManySteps)
{
    ExpectSameSteps(Scattered(1000), PresetCoefficients(0), 30, "scattered");
}

std::vector<KernelAndThreads> AllKernels()
{
    std::vector<KernelAndThreads> all;
    for (StepKernel k : {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512})
        for (int threads : {1, 2})
            all.push_back({k, threads});
    for (StepKernel k : {StepKernel::Avx2, StepKernel::Avx512})
        all.push_back({k, 4});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Kernels, FastStep, ::testing::ValuesIn(AllKernels()), Name);

TEST(FastStepChoice, EnvironmentNamesTheStartKernel)
{
    // ctest runs this once per kernel name with DRIFTMOTE_KERNEL set. A name the CPU
    // runs is taken; any other name leaves the widest kernel the CPU runs.
    const char* wanted = std::getenv("DRIFTMOTE_KERNEL");
    const StepKernel chosen = ParticleSystem().m_stepSettings.kernel;
    ASSERT_TRUE(KernelSupported(chosen));
    for (StepKernel k : {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512})
        if (wanted != nullptr && std::strcmp(wanted, KernelName(k)) == 0 && KernelSupported(k)) {
            EXPECT_EQ(KernelName(chosen), std::string(KernelName(k)));
            return;
        }
    EXPECT_FALSE(chosen != StepKernel::Avx512 && KernelSupported(StepKernel::Avx512)) << KernelName(chosen);
    EXPECT_FALSE(chosen == StepKernel::Plain && KernelSupported(StepKernel::Avx2)) << KernelName(chosen);
}

TEST(FastStepChoice, ThreadCountsAreReadAsDecimalDigitsInRange)
{
    const std::pair<const char*, int> cases[] = {{"auto", 0}, {"1", 1}, {"08", 8}, {"1024", 1024}, {"0", -1}, {"1025", -1},
                                                 {"-2", -1}, {"+2", -1}, {" 2", -1}, {"2 ", -1}, {"0x2", -1}, {"Auto", -1}};
    for (const auto& [text, expected] : cases) {
        int threads = -1;
        EXPECT_EQ(std::pair(ReadStepThreads(text, threads), threads), std::pair(expected >= 0, expected)) << text;
    }
}

TEST(FastStepChoice, UnsupportedKernelIsRefusedAndThreadCountIsReported)
{
    for (StepKernel k : {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512}) {
        StepSettings settings;
        const StepKernel before = settings.kernel;
        EXPECT_EQ(SetStepKernel(settings, k), KernelSupported(k));
        EXPECT_EQ(settings.kernel, KernelSupported(k) ? k : before);
    }
    EXPECT_TRUE(KernelSupported(StepKernel::Plain));

    // Small counts stay on one thread unless a test asks for more.
    const std::vector<Particle> start = Scattered(20);
    ParticleSystem ps;
    ps.SetCount(20);
    std::copy(start.begin(), start.end(), ps.m_pCur);
    const Coefficients k = PresetCoefficients(0);
    ps.m_fAttraction = k.attraction;
    ps.m_fRepulsion = k.repulsion;
    ps.m_fFriction = k.friction;
    ps.Step();
    EXPECT_EQ(ThreadsOfLastStep(ps.m_pScratch), 1);
}

} // namespace

// Where two threads pay, the automatic choice goes over to them and tries one
// thread only now and then: in a tool's run of 300 frames although the first
// two-thread step also starts the helper (ten times a step), and in a run of
// three steps of a large count, which cannot afford to learn on one thread first.
TEST(FastStepChoice, TwoThreadsThatPayAreTakenAtOnce)
{
    struct Run {
        int count, steps;
        double one, two, firstTwo; // seconds a step
        int leastTwoThreadSteps;
    };
    for (const Run& run : {Run{2000, 300, 2.7e-3, 1.5e-3, 28e-3, 297}, Run{10000, 3, 0.16, 0.088, 0.09, 2}}) {
        ThreadChoice choice;
        int twoThreadSteps = 0;
        for (int step = 0; step < run.steps; ++step) {
            const bool two = choice.Choose(run.count, 2) == 2;
            twoThreadSteps += two ? 1 : 0;
            choice.Record(two ? (twoThreadSteps == 1 ? run.firstTwo : run.two) : run.one);
        }
        EXPECT_GE(twoThreadSteps, run.leastTwoThreadSteps) << run.count << " particles, " << run.steps << " steps";
    }
}
