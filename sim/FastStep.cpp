#include "FastStep.h"

#include "ParticleSystem.h"
#include "StepKernels.h"
#include "WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Below this count a second thread never pays for its hand-over (measured with
// the fast benchmark on two cores: at 256 particles one and two threads tie).
constexpr int kThreadsFrom = 300;

// Above it, whether the second thread helps depends on the count and on what
// else the machine runs: a helper that loses its core in the middle of a step
// holds up the other thread. So the step times both ways and keeps to the
// faster, trying the other way again every kProbeEvery steps.
constexpr unsigned kProbeEvery = 32;

class ThreadChoice {
public:
    // The thread count for the next automatic step of `count` particles.
    int Choose(int count, int maxThreads)
    {
        if (count != m_count || maxThreads != m_maxThreads) {
            m_count = count;
            m_maxThreads = maxThreads;
            m_seconds[0] = m_seconds[1] = 0.0;
            m_steps = 0;
        }
        ++m_steps;
        int way;
        if (m_seconds[0] == 0.0)
            way = 0;
        else if (m_seconds[1] == 0.0)
            way = 1;
        else
            way = (m_seconds[1] < m_seconds[0]) != (m_steps % kProbeEvery == 0) ? 1 : 0;
        m_way = way;
        return way == 1 ? maxThreads : 1;
    }

    // The time the step chosen last took.
    void Record(double seconds)
    {
        double& average = m_seconds[m_way];
        average = average == 0.0 ? seconds : 0.75 * average + 0.25 * seconds;
    }

private:
    int m_count = 0;
    int m_maxThreads = 0;
    double m_seconds[2] = {0.0, 0.0}; // recent step times: one thread, all threads (0: not yet known)
    unsigned m_steps = 0;
    int m_way = 0;
};

ThreadChoice g_threadChoice;

constexpr std::size_t kAlign = 64;

StepKernel BestKernel()
{
    if (KernelSupported(StepKernel::Avx512))
        return StepKernel::Avx512;
    if (KernelSupported(StepKernel::Avx2))
        return StepKernel::Avx2;
    return StepKernel::Plain;
}

const char* g_programName = "driftmote";

// The start-up choice: the environment's, if it names a kernel this CPU runs.
StepKernel KernelFromEnvironment()
{
    const StepKernel best = BestKernel();
    const char* name = std::getenv("DRIFTMOTE_KERNEL");
    if (name == nullptr || *name == '\0')
        return best;
    for (StepKernel k : {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512}) {
        if (std::strcmp(name, KernelName(k)) == 0) {
            if (KernelSupported(k))
                return k;
            std::fprintf(stderr, "%s: DRIFTMOTE_KERNEL=%s: this CPU cannot run that kernel; using %s\n",
                         g_programName, name, KernelName(best));
            return best;
        }
    }
    std::fprintf(stderr, "%s: DRIFTMOTE_KERNEL=%s is not one of plain, avx2, avx512; using %s\n",
                 g_programName, name, KernelName(best));
    return best;
}

StepKernel& CurrentKernel()
{
    static StepKernel kernel = KernelFromEnvironment();
    return kernel;
}

int g_threadSetting = 0;
int g_lastThreads = 1;

int BlockWidth(StepKernel kernel)
{
    return kernel == StepKernel::Avx512 ? kAvx512Block : kAvx2Block;
}

struct Context {
    PairSumJob job;
    StepKernel kernel;
    const ParticleSystem* ps;
    double frictionFactor;
};

// The rest of the step for particles whose sums are complete: velocity,
// friction, clamp, move and walls, exactly as the literal step does it.
void FinishParticles(void* context, int first, int end)
{
    const Context& c = *static_cast<const Context*>(context);
    const int count = c.ps->m_nCount;
    for (int i = first; i < end && i < count; ++i)
        FinishParticle(c.ps->m_pCur[i], c.ps->m_pNext[i], c.job.fx[i], c.job.fy[i], c.frictionFactor);
}

void RunRows(void* context, int)
{
    const Context& c = *static_cast<const Context*>(context);
#if DRIFTMOTE_X86_KERNELS
    if (c.kernel == StepKernel::Avx512)
        PairSumRowsAvx512(c.job);
    else
        PairSumRowsAvx2(c.job);
#else
    (void)c; // never reached: no vector kernel is ever supported here
#endif
}

std::size_t Aligned(std::size_t bytes)
{
    return (bytes + kAlign - 1) / kAlign * kAlign;
}

} // namespace

struct StepScratch {
    int capacity; // particles, a whole number of the widest blocks
    float* x;
    float* y;
    double* yd;
    double* colFx;
    float* colFy;
    double* fx;
    float* fy;
    BandState bands[kMaxBands];
    alignas(64) int finishedBands;
    unsigned char* memory;
};

const char* KernelName(StepKernel kernel)
{
    switch (kernel) {
    case StepKernel::Avx2:
        return "avx2";
    case StepKernel::Avx512:
        return "avx512";
    case StepKernel::Plain:
        break;
    }
    return "plain";
}

bool KernelSupported(StepKernel kernel)
{
#if DRIFTMOTE_X86_KERNELS
    __builtin_cpu_init();
    switch (kernel) {
    case StepKernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case StepKernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl");
    case StepKernel::Plain:
        break;
    }
    return true;
#else
    // Without the x86-64 kernels only the plain step exists.
    return kernel == StepKernel::Plain;
#endif
}

void SetSimProgramName(const char* name)
{
    g_programName = name;
}

StepKernel ActiveStepKernel()
{
    return CurrentKernel();
}

const char* ActiveKernelName()
{
    return KernelName(CurrentKernel());
}

bool SetStepKernel(StepKernel kernel)
{
    if (!KernelSupported(kernel))
        return false;
    CurrentKernel() = kernel;
    return true;
}

void SetStepThreads(int threads)
{
    g_threadSetting = threads < 0 ? 0 : threads;
}

int StepThreadSetting()
{
    return g_threadSetting;
}

int ActiveStepThreads()
{
    return g_lastThreads;
}

StepScratch* NewStepScratch(int count)
{
    if (count <= 0 || count > std::numeric_limits<int>::max() - kWidestBlock)
        return nullptr;
    const std::size_t n = static_cast<std::size_t>((count + kWidestBlock - 1) / kWidestBlock * kWidestBlock);
    const std::size_t floats = Aligned(n * sizeof(float));
    const std::size_t doubles = Aligned(n * sizeof(double));
    const std::size_t total = 4 * floats + 3 * doubles;
    auto* memory = new (std::align_val_t(kAlign), std::nothrow) unsigned char[total];
    if (memory == nullptr)
        return nullptr;
    auto* scratch = new (std::nothrow) StepScratch;
    if (scratch == nullptr) {
        ::operator delete[](memory, std::align_val_t(kAlign));
        return nullptr;
    }
    unsigned char* p = memory;
    auto take = [&p](std::size_t bytes) {
        unsigned char* at = p;
        p += bytes;
        return at;
    };
    scratch->capacity = static_cast<int>(n);
    scratch->memory = memory;
    scratch->x = reinterpret_cast<float*>(take(floats));
    scratch->y = reinterpret_cast<float*>(take(floats));
    scratch->colFy = reinterpret_cast<float*>(take(floats));
    scratch->fy = reinterpret_cast<float*>(take(floats));
    scratch->yd = reinterpret_cast<double*>(take(doubles));
    scratch->colFx = reinterpret_cast<double*>(take(doubles));
    scratch->fx = reinterpret_cast<double*>(take(doubles));
    return scratch;
}

void DeleteStepScratch(StepScratch* scratch)
{
    if (scratch == nullptr)
        return;
    ::operator delete[](scratch->memory, std::align_val_t(kAlign));
    delete scratch;
}

bool StepFast(ParticleSystem& ps)
{
    const StepKernel kernel = CurrentKernel();
    const int count = ps.m_nCount;
    StepScratch* s = ps.m_pScratch;
    if (kernel == StepKernel::Plain || count < kFastStepFrom || s == nullptr || s->capacity < count)
        return false;

    const int width = BlockWidth(kernel);
    const int blocks = (count + width - 1) / width;
    const int padded = blocks * width;
    const Particle* cur = ps.m_pCur;
    for (int i = 0; i < count; ++i) {
        s->x[i] = cur[i].x;
        s->y[i] = cur[i].y;
        s->yd[i] = cur[i].y;
    }
    // Padding lies at NaN, so its distance to anything is not a number and all
    // its pairs are skipped.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int i = count; i < padded; ++i) {
        s->x[i] = nan;
        s->y[i] = nan;
        s->yd[i] = nan;
    }
    for (int i = 0; i < padded; ++i) {
        s->colFx[i] = 0.0;
        s->colFy[i] = 0.0f;
    }

    const bool choosing = g_threadSetting == 0 && count >= kThreadsFrom && WorkerPool::Instance().MaxThreads() > 1;
    int threads = choosing ? g_threadChoice.Choose(count, WorkerPool::Instance().MaxThreads()) : g_threadSetting;
    if (threads < 1 || blocks < 2)
        threads = 1;
    if (threads > 1)
        threads = std::min(threads, WorkerPool::Instance().MaxThreads());
    const auto start = std::chrono::steady_clock::now();

    // At most kMaxBands bands: squares large enough that claiming one costs
    // little, and enough of them that both threads find work.
    const int band = threads > 1 ? (blocks + kMaxBands - 1) / kMaxBands : blocks;
    const int bands = (blocks + band - 1) / band;
    for (int b = 0; b < bands; ++b)
        s->bands[b] = {b, b};
    s->finishedBands = 0;
    Context context{{s->x, s->y, s->yd, s->colFx, s->colFy, s->fx, s->fy, s->bands, &s->finishedBands, blocks, band,
                     static_cast<double>(ps.m_fAttraction), static_cast<double>(ps.m_fRepulsion), threads,
                     FinishParticles, nullptr},
                    kernel, &ps, 1.0 - static_cast<double>(ps.m_fFriction)};
    context.job.context = &context;
    if (threads > 1)
        WorkerPool::Instance().Run(threads, RunRows, &context);
    else
        RunRows(&context, 0);
    g_lastThreads = threads;
    if (choosing)
        g_threadChoice.Record(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return true;
}
