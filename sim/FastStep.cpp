// SPDX-License-Identifier: MIT
#include "FastStep.h"

#include "ParticleRules.h"
#include "StepKernels.h"
#include "ThreadChoice.h"
#include "TileBoard.h"
#include "WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

namespace {

// Below this count a second thread never pays for its hand-over (measured with
// the fast benchmark on two idle cores before the threads took blocks of rows in
// turn: at 256 particles one and two threads tied).
constexpr int kThreadsFrom = 300;

constexpr std::size_t kAlign = 64;

// Rows one thread sweeps in one run of blocks when it works alone: each block
// hands its lanes on to the next as they finish instead of starting over, and
// an abandoned step still stops within a run's time (about two milliseconds at
// 10,000 particles).
constexpr int kRunRows = 128;

int BlockWidth(StepKernel kernel)
{
    return kernel == StepKernel::Avx512 ? kAvx512Block : kAvx2Block;
}

// What every thread of a step reads: the kernel's job and the particles. It
// lives with the step's buffers, as a helper that was overtaken may read it
// after the step is over (TileBoard.h).
struct Context {
    PairSumJob job;
    StepKernel kernel;
    const Particle* cur;
    Particle* next;
    const std::function<bool()>* shouldStop; // asked on the calling thread only
    double frictionFactor;
};

// The rest of the step for particles whose sums are complete: velocity,
// friction, clamp, move and walls, exactly as the literal step does it.
void FinishParticles(void* context, int first, int end, const double* fx, const float* fy)
{
    const Context& c = *static_cast<const Context*>(context);
    end = std::min(end, c.job.count);
#ifdef DRIFTMOTE_X86_KERNELS
    if (c.kernel == StepKernel::Avx512)
        FinishParticlesAvx512(c.cur, c.next, fx, fy, first, end, c.frictionFactor);
    else
#endif
        for (int i = first; i < end; ++i)
            FinishParticle(c.cur[i], c.next[i], fx[i], fy[i], c.frictionFactor);
}

// A long step looks at whether to stop now and then, on the calling thread.
void LookWhetherToStop(void* context)
{
    const Context& c = *static_cast<const Context*>(context);
    if (c.shouldStop && c.job.count >= kStopCheckFrom && (*c.shouldStop)())
        __atomic_store_n(c.job.stop, 1, __ATOMIC_RELAXED);
}

// One thread alone looks after each run it finishes.
void FinishRun(void* context, int first, int end, const double* fx, const float* fy)
{
    FinishParticles(context, first, end, fx, fy);
    LookWhetherToStop(context);
}

// The kernel's sweep of a tile and its terms ahead.
struct TileKernel {
    TileSweep sweep;
    TileAhead ahead;
};

TileKernel TileKernelOf(StepKernel kernel)
{
#if defined(DRIFTMOTE_WASM_KERNEL)
    (void)kernel;
    return {SweepTileSimd128, TermsAheadSimd128};
#elif defined(DRIFTMOTE_X86_KERNELS)
    if (kernel == StepKernel::Avx512)
        return {SweepTileAvx512, TermsAheadAvx512};
    return {SweepTileAvx2, TermsAheadAvx2};
#else
    (void)kernel;
    return {nullptr, nullptr};
#endif
}

void RunRows(void* context)
{
#if defined(DRIFTMOTE_WASM_KERNEL)
    PairSumRowsSimd128(static_cast<const Context*>(context)->job);
#elif defined(DRIFTMOTE_X86_KERNELS)
    const Context& c = *static_cast<const Context*>(context);
    if (c.kernel == StepKernel::Avx512)
        PairSumRowsAvx512(c.job);
    else
        PairSumRowsAvx2(c.job);
#else
    (void)context; // no vector kernel is supported, so no step comes here
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
    alignas(64) int stop;
    unsigned char* memory;
    ThreadChoice threadChoice;
    int lastThreads = 1;
    Context context;
    TileBoard board;
    WorkerPool* pool = nullptr; // the last one the step ran helpers on
};

namespace {

void RunTiles(void* scratch, int thread)
{
    static_cast<StepScratch*>(scratch)->board.Work(thread);
}

} // namespace

int ThreadsOfLastStep(const StepScratch* scratch)
{
    return scratch == nullptr ? 1 : scratch->lastThreads;
}

StepScratch* NewStepScratch(int count)
{
    if (count <= 0 || count > std::numeric_limits<int>::max() - kWidestBlock - kColumnsAfter)
        return nullptr;
    const std::size_t n = static_cast<std::size_t>((count + kWidestBlock - 1) / kWidestBlock * kWidestBlock);
    const std::size_t floats = Aligned(n * sizeof(float));
    const std::size_t doubles = Aligned(n * sizeof(double));
    // The positions the kernels read have padding on both sides.
    const std::size_t columnFloats = Aligned((kColumnsBefore + n + kColumnsAfter) * sizeof(float));
    const std::size_t columnDoubles = Aligned((kColumnsBefore + n + kColumnsAfter) * sizeof(double));
    const std::size_t total = 2 * floats + 2 * columnFloats + 2 * doubles + columnDoubles;
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
    scratch->x = reinterpret_cast<float*>(take(columnFloats)) + kColumnsBefore;
    scratch->y = reinterpret_cast<float*>(take(columnFloats)) + kColumnsBefore;
    scratch->colFy = reinterpret_cast<float*>(take(floats));
    scratch->fy = reinterpret_cast<float*>(take(floats));
    scratch->yd = reinterpret_cast<double*>(take(columnDoubles)) + kColumnsBefore;
    scratch->colFx = reinterpret_cast<double*>(take(doubles));
    scratch->fx = reinterpret_cast<double*>(take(doubles));
    return scratch;
}

void DeleteStepScratch(StepScratch* scratch)
{
    if (scratch == nullptr)
        return;
    // No helper that was overtaken may still be reading these buffers.
    if (scratch->pool != nullptr)
        scratch->pool->Quiesce();
    ::operator delete[](scratch->memory, std::align_val_t(kAlign));
    delete scratch;
}


namespace {

// The kernel's columns: the positions of the current array, with padding at NaN
// before them and after them up to whole blocks and beyond, so that its distance
// to anything is not a number and all its pairs are skipped; the column sums
// start at +0.
void FillColumns(const StepFrame& frame, StepScratch& s, int padded)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int i = -kColumnsBefore; i < 0; ++i) {
        s.x[i] = nan;
        s.y[i] = nan;
        s.yd[i] = nan;
    }
    for (int i = 0; i < frame.count; ++i) {
        s.x[i] = frame.cur[i].x;
        s.y[i] = frame.cur[i].y;
        s.yd[i] = frame.cur[i].y;
    }
    for (int i = frame.count; i < padded + kColumnsAfter; ++i) {
        s.x[i] = nan;
        s.y[i] = nan;
        s.yd[i] = nan;
    }
    for (int i = 0; i < padded; ++i) {
        s.colFx[i] = 0.0;
        s.colFy[i] = 0.0f;
    }
}

// The thread count of this step. `timed` tells whether the automatic choice
// made it, so that the step's time goes back into that choice.
int ChooseThreads(StepScratch& s, const StepSettings& settings, WorkerPool& pool, int count, int blocks, bool& timed)
{
    timed = settings.threads == 0 && count >= kThreadsFrom && pool.MaxThreads() > 1;
    int threads = timed ? s.threadChoice.Choose(count, pool.MaxThreads()) : settings.threads;
    if (threads < 1 || blocks < 2)
        threads = 1;
    if (threads > 1)
        threads = std::min(threads, pool.MaxThreads());
    return threads;
}

} // namespace

FastStep StepFast(const StepFrame& frame, StepScratch* s, const StepSettings& settings)
{
    const StepKernel kernel = settings.kernel;
    if (kernel == StepKernel::Plain || !KernelSupported(kernel) || frame.count < kFastStepFrom || s == nullptr ||
        s->capacity < frame.count)
        return FastStep::NotTaken;
    const int width = BlockWidth(kernel);
    const int blocks = (frame.count + width - 1) / width;

    // Copy the positions into the kernel's columns.
    FillColumns(frame, *s, blocks * width);

    // Choose the threads; the automatic choice times the step.
    bool timed = false;
    WorkerPool& pool = settings.pool != nullptr ? *settings.pool : WorkerPool::Instance();
    int threads = ChooseThreads(*s, settings, pool, frame.count, blocks, timed);
    const auto start = std::chrono::steady_clock::now();

    // Run the kernel over the blocks of rows; each run or stripe finishes its
    // particles as soon as their sums are complete.
    __atomic_store_n(&s->stop, 0, __ATOMIC_RELAXED); // a helper overtaken in the step before may still look
    Context& context = s->context;
    context = {{s->x, s->y, s->yd, s->colFx, s->colFy, s->fx, s->fy, &s->stop, blocks, kRunRows / width, frame.count,
                static_cast<double>(frame.attraction), static_cast<double>(frame.repulsion), FinishRun, &context},
               kernel, frame.cur, frame.next, frame.shouldStop, 1.0 - static_cast<double>(frame.friction)};
    if (threads > 1 && !s->board.Reserve(blocks * width, pool.MaxThreads()))
        threads = 1; // no memory for the threads' buffers: one thread needs none
    if (threads > 1) {
        s->pool = &pool;
        const TileKernel tiles = TileKernelOf(kernel);
        s->board.Begin(context.job, threads, tiles.sweep, tiles.ahead, width, FinishParticles, LookWhetherToStop);
        pool.Run(threads, RunTiles, s);
        // A step that stops leaves the next array partly written: no helper may
        // write to it after this.
        if (s->stop != 0)
            pool.Quiesce();
    } else {
        RunRows(&context);
    }

    // Keep what ran, for the report and the next choice.
    s->lastThreads = threads;
    if (s->stop != 0)
        return FastStep::Abandoned;
    if (timed)
        s->threadChoice.Record(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return FastStep::Done;
}
