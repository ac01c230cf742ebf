// SPDX-License-Identifier: MIT
// One frame of the window without its pause: the session's frame (a step and the
// held particle) plus drawing every particle into a buffer of the window's canvas at
// its start, at the start count, at the largest count that is accepted without a
// question and at three larger counts. Frames per second = 1 / time per iteration.
// BM_PacedFrame adds the window's pause between frames.

#include "FastStep.h"
#include "SwarmRenderer.h"
#include "SwarmSession.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

namespace {

// The window's canvas at its start on the machine the default was measured on.
constexpr int kCanvasWidth = 511;
constexpr int kCanvasHeight = 458;

// A session with `count` particles, typed as the window's Num box would take them.
// A count is typed only when it changes: typing rescatters the particles and
// starts the step's scratch anew, automatic choice and all, and the benchmark
// calls each row several times (the warm-up, then rising iteration counts), where
// the window types a count once and runs it for many frames.
SwarmSession& SessionOf(benchmark::State& state)
{
    static SwarmSession session;
    static bool started = false;
    if (!started)
        started = session.Start() == SessionResult::Done;
    if (session.Particles().m_nCount != state.range(0))
        session.TypeText(ParamBox::Num, std::to_string(state.range(0)));
    return session;
}

void Draw(PixelBuffer& buffer, const SwarmSession& session)
{
    const ParticleSystem& particles = session.Particles();
    RenderSwarm(buffer, particles.m_pCur, particles.m_nCount, session.Hover(), session.Drag(), kDotSize);
}

void BM_Frame(benchmark::State& state)
{
    SwarmSession& session = SessionOf(state);
    PixelImage buffer(kCanvasWidth, kCanvasHeight);
    for (auto _ : state) {
        session.Frame();
        Draw(buffer.View(), session);
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Frame)->Arg(67)->Arg(350)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// The window's frames as it runs them: each followed by Play Nice's pause of a
// millisecond (on at its start), which is long enough for the step's helper
// threads to go to sleep, so every step wakes them again. Only the frames are
// timed (range 1: the step's threads, 0 for the automatic choice), once a row
// has run untimed for half a second and at least four frames: the window runs a
// count for many frames, and the automatic choice's first three of a count (one
// of them on one thread) were one of the four timed at 10,000 particles. The
// library's own warm-up ran a single frame there.
void BM_PacedFrame(benchmark::State& state)
{
    SwarmSession& session = SessionOf(state);
    session.SetStepThreads(static_cast<int>(state.range(1)));
    PixelImage buffer(kCanvasWidth, kCanvasHeight);
    auto frame = [&] {
        const auto start = std::chrono::steady_clock::now();
        session.Frame();
        Draw(buffer.View(), session);
        const auto took = std::chrono::steady_clock::now() - start;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::chrono::duration<double>(took).count();
    };
    // The library calls a row several times; it is warmed once.
    static std::pair<std::int64_t, std::int64_t> warmed;
    if (warmed != std::pair(state.range(0), state.range(1))) {
        warmed = {state.range(0), state.range(1)};
        double seconds = 0.0;
        for (int frames = 0; frames < 4 || seconds < 0.5; ++frames)
            seconds += frame();
    }
    for (auto _ : state)
        state.SetIterationTime(frame());
    session.SetStepThreads(0);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel("threads of the last step: " + std::to_string(ThreadsOfLastStep(session.Particles().m_pScratch)));
}
BENCHMARK(BM_PacedFrame)
    ->ArgsProduct({{1000, 2000, 5000, 10000}, {1, 2, 0}})
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime();

// The drawing alone, to tell its share of a frame.
void BM_RenderOnly(benchmark::State& state)
{
    const SwarmSession& session = SessionOf(state);
    PixelImage buffer(kCanvasWidth, kCanvasHeight);
    for (auto _ : state)
        Draw(buffer.View(), session);
}
BENCHMARK(BM_RenderOnly)->Arg(67)->Arg(350)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
