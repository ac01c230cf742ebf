// SPDX-License-Identifier: MIT
// Speed of the simulation's two hot loops. The rows named "Plain" call the literal
// implementations; the unnamed rows call Step and Scatter, which pick the fastest
// implementation the machine offers. Faster implementations get rows of their own
// next to these, over the same prepared state.
#include "ParticleSystem.h"
#include "RandomUnit.h"
#include "StartWithCount.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// Items are pair evaluations, count * (count - 1) per step; "steps" is per second.
template <bool (ParticleSystem::*StepFunction)()>
void BM_Step(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ParticleSystem particles;
    StartWithCount(particles, count);
    for (auto _ : state) {
        (particles.*StepFunction)();
        benchmark::DoNotOptimize(particles.m_pCur);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count * (count - 1));
    state.counters["steps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Items are particles placed. Each pass restarts the random source, so every pass
// places the same particles as the window does.
template <bool (ParticleSystem::*ScatterFunction)(float, float, float, float, float)>
void BM_Scatter(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ParticleSystem particles;
    particles.SetCount(count);
    for (auto _ : state) {
        PortableRandRestart();
        (particles.*ScatterFunction)(5.0f, 5.0f, 5.0f, 0.3f, 0.0f);
        benchmark::DoNotOptimize(particles.m_pCur);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void StepCounts(benchmark::internal::Benchmark* b)
{
    b->Arg(67)->Arg(350)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Step<&ParticleSystem::StepPlain>)->Name("StepPlain")->Apply(StepCounts);
BENCHMARK(BM_Step<&ParticleSystem::Step>)->Name("Step")->Apply(StepCounts);
BENCHMARK(BM_Scatter<&ParticleSystem::ScatterPlain>)->Name("ScatterPlain")->Arg(350)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Scatter<&ParticleSystem::Scatter>)->Name("Scatter")->Arg(350)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
