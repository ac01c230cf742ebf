#include "ParticleSystem.h"
#include "RandomUnit.h"

#include <benchmark/benchmark.h>

namespace {

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

BENCHMARK(BM_FastScatterPlain)->Arg(350)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastScatter)->Arg(350)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
