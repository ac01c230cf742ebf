// SPDX-License-Identifier: MIT
#include "DividerCeiling.h"
#include "FastStep.h"
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "StartWithCount.h"
#include "StepKernels.h"
#include "StepSettings.h"
#include "SwarmSession.h"

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// Steps per second of wall-clock time (the benchmarks run with UseRealTime, so
// a helper thread's work is not hidden from the rate).
void ReportSteps(benchmark::State& state)
{
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FastStepPlain(benchmark::State& state)
{
    ParticleSystem ps;
    StartWithCount(ps, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ps.StepPlain();
        benchmark::DoNotOptimize(ps.m_pCur);
    }
    ReportSteps(state);
}

double Pairs(int count)
{
    return 0.5 * static_cast<double>(count) * static_cast<double>(count - 1);
}

// The step's pair rate beside the divider's ceiling for the same vectors and
// thread count, measured right after the step's own timing: "pairs/s",
// "ceiling" (pairs/s) and "ceiling%". One thread's rate is per second of its
// processor time, like the ceiling's, so that other work on the machine changes
// neither; with more threads the step's rate is per second of wall-clock time
// (the threads wait for each other), against a ceiling of a core per thread.
void ReportShareOfCeiling(benchmark::State& state, StepKernel kernel, int count, int threads, double wallSeconds,
                          double threadSeconds)
{
    const double ceiling = DividerCeiling(kernel, threads, 0.05);
    const double seconds = threads == 1 ? threadSeconds : wallSeconds;
    const double pairs = static_cast<double>(state.iterations()) / seconds * Pairs(count);
    state.counters["pairs/s"] = pairs;
    if (ceiling > 0.0) {
        state.counters["ceiling"] = ceiling;
        state.counters["ceiling%"] = 100.0 * pairs / ceiling;
    }
}

// Step with a forced kernel (range 1: 0 plain, 1 avx2, 2 avx512) and thread
// setting (range 2: 0 automatic, or a fixed count).
void BM_FastStep(benchmark::State& state)
{
    const StepKernel kernels[] = {StepKernel::Plain, StepKernel::Avx2, StepKernel::Avx512};
    const StepKernel kernel = kernels[state.range(1)];
    ParticleSystem ps;
    if (!SetStepKernel(ps.m_stepSettings, kernel)) {
        state.SkipWithError("kernel not supported by this CPU");
        return;
    }
    ps.m_stepSettings.threads = static_cast<int>(state.range(2));
    StartWithCount(ps, static_cast<int>(state.range(0)));
    const auto start = std::chrono::steady_clock::now();
    const double threadStart = ThreadSeconds();
    for (auto _ : state) {
        ps.Step();
        benchmark::DoNotOptimize(ps.m_pCur);
    }
    const double threadSeconds = ThreadSeconds() - threadStart;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ReportSteps(state);
    // Counts below kFastStepFrom always run the literal loop on one thread.
    const bool literal = state.range(0) < kFastStepFrom;
    if (!literal && state.range(0) >= 128)
        ReportShareOfCeiling(state, ps.m_stepSettings.kernel, ps.m_nCount, ThreadsOfLastStep(ps.m_pScratch), seconds,
                             threadSeconds);
    state.SetLabel(std::string(literal ? "plain" : KernelName(ps.m_stepSettings.kernel)) +
                   " threads=" + std::to_string(ThreadsOfLastStep(ps.m_pScratch)));
}

void StepArgs(benchmark::internal::Benchmark* b)
{
    for (int n : {1, 2, 3, 4, 5, 8, 9, 17, 33, 67, 128, 350, 500, 1000, 2000})
        b->Args({n});
}

void FastArgs(benchmark::internal::Benchmark* b)
{
    for (int n : {1, 2, 3, 4, 5, 8, 9, 17, 33, 67, 128, 350, 500, 1000, 2000}) {
        b->Args({n, 2, 0}); // the default choice: best kernel, threads by size
        b->Args({n, 2, 1});
        b->Args({n, 1, 0});
    }
    // Where a second thread starts to pay off.
    for (int n : {96, 128, 192, 256, 320, 350, 384, 448, 500, 1000, 2000}) {
        b->Args({n, 2, 1});
        b->Args({n, 2, 2});
    }
    // Counts far beyond the window's usual ones.
    for (int n : {1000, 2000}) {
        b->Args({n, 1, 1});
        b->Args({n, 1, 2});
    }
    for (int n : {5000, 10000}) {
        b->Args({n, 2, 0});
        b->Args({n, 2, 1});
        b->Args({n, 2, 2});
        b->Args({n, 1, 1});
        b->Args({n, 1, 2});
    }
}

BENCHMARK(BM_FastStepPlain)->Apply(StepArgs)->UseRealTime();
BENCHMARK(BM_FastStep)->Apply(FastArgs)->UseRealTime();

// The divider's ceiling alone (range 0: 1 avx2, 2 avx512; range 1: threads), in
// pairs per second.
void BM_DividerCeiling(benchmark::State& state)
{
    const StepKernel kernel = state.range(0) == 2 ? StepKernel::Avx512 : StepKernel::Avx2;
    if (!KernelSupported(kernel)) {
        state.SkipWithError("kernel not supported by this CPU");
        return;
    }
    double pairs = 0.0;
    for (auto _ : state)
        pairs = DividerCeiling(kernel, static_cast<int>(state.range(1)), 0.02);
    state.counters["pairs/s"] = pairs;
    state.SetLabel(std::string(KernelName(kernel)) + " threads=" + std::to_string(state.range(1)));
}
BENCHMARK(BM_DividerCeiling)->Args({2, 1})->Args({2, 2})->Args({1, 1})->Args({1, 2})->UseRealTime();

// A process that keeps one core busy while it lives, as another program would:
// started by the benchmark itself, so that every run sees the same load.
class BusyCore {
public:
    BusyCore()
    {
        m_pid = fork();
        if (m_pid == 0) {
            volatile unsigned long spins = 0;
            for (;;)
                spins = spins + 1;
        }
    }
    ~BusyCore()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool Started() const { return m_pid > 0; }
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;

private:
    pid_t m_pid = -1;
};

// One thread, every thread and the automatic choice on the same particles,
// step by step in turn, so that all three see the same machine (range 0: the
// count; range 1: 1 keeps one core busy with a process of its own). The kernel
// is the one the program starts with. "all/1" and "auto/1" are the summed times
// of the one-thread steps over those of the other two ways; "median all/1" is
// the median of the steps taken in turn, which a few steps that lost a core do
// not move.
void BM_ThreadsInTurn(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::unique_ptr<BusyCore> busy;
    if (state.range(1) != 0) {
        busy = std::make_unique<BusyCore>();
        if (!busy->Started()) {
            state.SkipWithError("could not start the busy process");
            return;
        }
    }
    ParticleSystem ways[3]; // one thread, all threads, automatic
    const int threads[3] = {1, std::max(2, static_cast<int>(std::thread::hardware_concurrency())), 0};
    for (int way = 0; way < 3; ++way) {
        ways[way].m_stepSettings.threads = threads[way];
        StartWithCount(ways[way], count);
    }
    double seconds[3] = {0.0, 0.0, 0.0};
    std::vector<double> ratios;
    for (auto _ : state) {
        double step[3];
        for (int way = 0; way < 3; ++way) {
            const auto start = std::chrono::steady_clock::now();
            ways[way].Step();
            step[way] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            seconds[way] += step[way];
            benchmark::DoNotOptimize(ways[way].m_pCur);
        }
        ratios.push_back(step[0] / step[1]);
    }
    state.counters["1t steps/s"] = static_cast<double>(state.iterations()) / seconds[0];
    state.counters["all/1"] = seconds[0] / seconds[1];
    state.counters["auto/1"] = seconds[0] / seconds[2];
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["median all/1"] = ratios[ratios.size() / 2];
    state.SetLabel(std::string(KernelName(ways[0].m_stepSettings.kernel)) + (busy ? ", one core busy" : ", free cores"));
}
BENCHMARK(BM_ThreadsInTurn)
    ->ArgsProduct({{350, 1000, 2000, 5000, 10000}, {0, 1}})
    ->MinTime(1.0)
    ->UseRealTime();

// What two cores give this machine's one-thread step when the step shares
// nothing: two systems step on a thread each at once, in turn with one of them
// stepping alone (range 0: the count). "at once/alone" is twice the alone
// steps' time over that of the steps at once: the most that any split of one
// step over two threads could reach here, as the cores' clocks, caches and
// the machine's other guests allow.
void BM_TwoStepsAtOnce(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ParticleSystem systems[2];
    for (ParticleSystem& ps : systems) {
        ps.m_stepSettings.threads = 1;
        StartWithCount(ps, count);
    }
    // The other thread sleeps while the first steps alone, so that the alone
    // step has a core to itself.
    std::mutex mutex;
    std::condition_variable wake;
    int go = 0, done = 0;
    std::thread other([&] {
        for (int seen = 0;;) {
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [&] { return go != seen; });
                seen = go;
            }
            if (seen < 0)
                return;
            systems[1].Step();
            std::lock_guard lock(mutex);
            done = seen;
            wake.notify_all();
        }
    });
    double alone = 0.0, atOnce = 0.0;
    int round = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        systems[0].Step();
        alone += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        start = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(mutex);
            go = ++round;
            wake.notify_all();
        }
        systems[0].Step();
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return done == round; });
        atOnce += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    {
        std::lock_guard lock(mutex);
        go = -1;
        wake.notify_all();
    }
    other.join();
    state.counters["at once/alone"] = 2.0 * alone / atOnce;
    state.SetLabel(KernelName(systems[0].m_stepSettings.kernel));
}
BENCHMARK(BM_TwoStepsAtOnce)->Arg(1000)->Arg(2000)->Arg(5000)->Arg(10000)->MinTime(1.0)->UseRealTime();

// What `driftmote-sim --num N --frames 300 --bench` measures: a session started
// as the tool starts it, then 300 frames, with a fresh automatic choice each
// time (range 1: the step's threads, 0 automatic as in the tool).
void BM_ToolRun(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const StepKernel kernel = DefaultStepKernel();
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<SwarmSession>();
        session->Start();
        session->TypeText(ParamBox::Num, std::to_string(count));
        session->SetStepThreads(static_cast<int>(state.range(1)));
        state.ResumeTiming();
        for (int frame = 0; frame < 300; ++frame)
            session->Frame();
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    state.counters["steps/s"] = benchmark::Counter(300.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(KernelName(kernel));
}
BENCHMARK(BM_ToolRun)->ArgsProduct({{1000, 2000, 5000}, {1, 2, 0}})->Unit(benchmark::kMillisecond)->UseRealTime();

#if defined(__x86_64__)
// One tile of the threads' step on one thread with AVX2: 64 rows beside 128
// columns of 1000 scattered particles, swept alone (range 0), its terms
// computed ahead as a waiting thread computes them (1), and swept with every
// term there (2): what the sweep still costs once a waiting thread did the rest.
void BM_TileTermsAhead(benchmark::State& state)
{
    if (!KernelSupported(StepKernel::Avx2)) {
        state.SkipWithError("this CPU cannot run the AVX2 kernel");
        return;
    }
    constexpr int kCount = 1000;
    constexpr int kFirst = 64 / kAvx2Block, kLast = 128 / kAvx2Block, kC0 = 256, kC1 = 384;
    PortableRandRestart();
    std::vector<float> x(kColumnsBefore + kCount + kColumnsAfter), y(x.size());
    std::vector<double> yd(x.size()), colFx(kCount), fx(kCount);
    std::vector<float> colFy(kCount), fy(kCount);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = static_cast<float>(10.0 * RandomUnit());
        y[i] = static_cast<float>(10.0 * RandomUnit());
        yd[i] = y[i];
    }
    int stop = 0;
    const PairSumJob job{x.data() + kColumnsBefore, y.data() + kColumnsBefore, yd.data() + kColumnsBefore,
                         colFx.data(), colFy.data(), fx.data(), fy.data(), &stop, kCount / kAvx2Block, 32, kCount,
                         0.0002, 1e-9, nullptr, nullptr};
    struct alignas(64) Line {
        unsigned char bytes[64];
    };
    std::vector<Line> terms((std::size_t{256} << 10) / sizeof(Line));
    const auto goOn = [](const void*) { return true; };
    const std::size_t bytes = terms.size() * sizeof(Line);
    const int groups = TermsAheadAvx2(job, kFirst, kLast, kC0, kC1, false, terms.data(), bytes, goOn, nullptr);
    for (auto _ : state) {
        if (state.range(0) == 1)
            benchmark::DoNotOptimize(TermsAheadAvx2(job, kFirst, kLast, kC0, kC1, false, terms.data(), bytes, goOn, nullptr));
        else
            SweepTileAvx2(job, kFirst, kLast, kC0, kC1, false, state.range(0) == 2 ? terms.data() : nullptr, groups);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TileTermsAhead)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
#endif

// The window's scatter of a freshly typed count, from the generator's start state.
void ScatterArgs(benchmark::State& state, bool plain)
{
    const int count = static_cast<int>(state.range(0));
    ParticleSystem ps;
    for (auto _ : state) {
        PortableRandRestart();
        ps.SetCount(count);
        if (plain)
            ps.ScatterPlain(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
        else
            ps.Scatter(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
        benchmark::DoNotOptimize(ps.m_pCur);
    }
}

void BM_FastScatterPlain(benchmark::State& state) { ScatterArgs(state, true); }
void BM_FastScatter(benchmark::State& state) { ScatterArgs(state, false); }

BENCHMARK(BM_FastScatterPlain)->Arg(350)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FastScatter)->Arg(350)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
