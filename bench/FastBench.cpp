// SPDX-License-Identifier: MIT
#include "FastStep.h"
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "SwarmParams.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// The window's start from a fresh random source, then `count` typed into the Num box.
void Prepare(ParticleSystem& ps, int count)
{
    PortableRandRestart();
    StartLikeTheWindow(ps);
    ApplyText(ps, ParamBox::Num, std::to_string(count));
}

// Steps per second of wall-clock time (the benchmarks run with UseRealTime, so
// a helper thread's work is not hidden from the rate).
void ReportSteps(benchmark::State& state)
{
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FastStepPlain(benchmark::State& state)
{
    ParticleSystem ps;
    Prepare(ps, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ps.StepPlain();
        benchmark::DoNotOptimize(ps.m_pCur);
    }
    ReportSteps(state);
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
    Prepare(ps, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ps.Step();
        benchmark::DoNotOptimize(ps.m_pCur);
    }
    ReportSteps(state);
    // Counts below kFastStepFrom always run the literal loop on one thread.
    const bool literal = state.range(0) < kFastStepFrom;
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
}

BENCHMARK(BM_FastStepPlain)->Apply(StepArgs)->UseRealTime();
BENCHMARK(BM_FastStep)->Apply(FastArgs)->UseRealTime();

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
