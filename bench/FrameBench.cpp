// SPDX-License-Identifier: MIT
// One frame of the window without its pause: a simulation step plus drawing every
// particle into the back buffer, at the start count, at the largest count that is
// accepted without a question and at three larger counts. Frames per second = 1 / time
// per iteration.

#include "CSwarmDlg.h"
#include "SwarmParams.h"
#include "SwarmRenderer.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

CSwarmDlg* g_dialog = nullptr;

void BM_Frame(benchmark::State& state)
{
    CSwarmDlg& dlg = *g_dialog;
    ResizeAndScatter(dlg.m_particles, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        dlg.StepAndDrag();
        dlg.Render();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Frame)->Arg(67)->Arg(350)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// The drawing alone, to tell its share of a frame.
void BM_RenderOnly(benchmark::State& state)
{
    CSwarmDlg& dlg = *g_dialog;
    ResizeAndScatter(dlg.m_particles, static_cast<int>(state.range(0)));
    for (auto _ : state)
        dlg.Render();
}
BENCHMARK(BM_RenderOnly)->Arg(67)->Arg(350)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMicrosecond);

// The same picture with one painter ellipse per particle, as the drawing was before
// the discs were copied: the speed-up in one run.
void BM_RenderPainted(benchmark::State& state)
{
    CSwarmDlg& dlg = *g_dialog;
    ResizeAndScatter(dlg.m_particles, static_cast<int>(state.range(0)));
    dlg.Render(); // builds the back buffer
    for (auto _ : state)
        RenderSwarmPainted(dlg.m_backBuffer, dlg.m_particles.m_pCur, dlg.m_particles.m_nCount, dlg.m_nHover,
                           dlg.m_nDrag, dlg.m_nDotSize);
}
BENCHMARK(BM_RenderPainted)->Arg(67)->Arg(350)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    CSwarmDlg dialog;
    dialog.Create(); // the start preset's coefficients, the template's canvas size
    g_dialog = &dialog;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
