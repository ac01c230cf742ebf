// SPDX-License-Identifier: MIT
// Videos: the encoder's cost per frame (the process's processor time) for H.264
// and VP9 at the window's start canvas and at twice its size, with the window's
// settings and the tool's (bit-exact conversion); and the window's frames per
// second at three particle counts without and with a recording, with the pictures
// the recording dropped because its encoder was behind.

#include "CSwarmDlg.h"
#include "TemplateBuilder.h"
#include "Resource.h"
#include "ParticleSystem.h"
#include "SwarmSession.h"
#include "SwarmRenderer.h"
#include "VideoEncoder.h"

#include <QApplication>
#include <QMessageBox>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kSizes[][2] = {{511, 458}, {1022, 916}};

// Pictures of the gas of preset 4, which changes everywhere from frame to frame.
std::vector<PixelImage> GasPictures(int width, int height, int count)
{
    SwarmSession session;
    session.SelectPreset(4);
    const ParticleSystem& particles = session.Particles();
    std::vector<PixelImage> pictures;
    for (int i = 0; i < count; ++i) {
        PixelImage image(width, height);
        RenderSwarm(image.View(), particles.m_pCur, particles.m_nCount, -1, -1, kDotSize);
        pictures.push_back(std::move(image));
        session.Frame();
    }
    return pictures;
}

// Args: 0 for H.264 in MP4, 1 for VP9 in WebM; the size's index; 1 for the tool's
// exact settings, 0 for the window's.
void BM_Encode(benchmark::State& state)
{
    const bool webm = state.range(0) == 1;
    const int width = kSizes[state.range(1)][0];
    const int height = kSizes[state.range(1)][1];
    VideoSettings settings;
    settings.exact = state.range(2) == 1;
    settings.threads = 1;
    const std::vector<PixelImage> pictures = GasPictures(width, height, 120);
    const std::string path = QDir::temp().filePath(webm ? "driftmote-bench.webm" : "driftmote-bench.mp4").toStdString();
    VideoEncoder encoder;
    std::string error;
    if (!encoder.Open(path, width, height, settings, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    long long frame = 0;
    for (auto _ : state) {
        const PixelBuffer& picture = pictures[static_cast<std::size_t>(frame % 120)].View();
        if (!encoder.AddFrame(picture.Bytes(), picture.StrideBytes(), frame++, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    encoder.Finish(error);
    std::remove(path.c_str());
    state.SetLabel(std::string(webm ? "vp9 " : "h264 ") + std::to_string(width) + "x" + std::to_string(height) +
                   (settings.exact ? " tool" : " window"));
}
BENCHMARK(BM_Encode)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(2.0);

CSwarmDlg* g_dialog = nullptr;

// Args: the particle count; 1 to record. Each iteration is one frame of the idle
// loop as the window starts, with the Play Nice pause, then the events that came
// meanwhile (the recording's ticks among them).
void BM_WindowFrames(benchmark::State& state)
{
    CSwarmDlg& dlg = *g_dialog;
    // Typed into Num, as a user would, with Yes to the large-count question.
    qobject_cast<QLineEdit*>(GetDlgItem(&dlg, IDC_NUM))->setText(QString::number(state.range(0)));
    const QString path = QDir::temp().filePath(QStringLiteral("driftmote-bench-window.mp4"));
    dlg.SetFileDialogRunner([&path](const FileDialogRequest&) { return path; });
    dlg.OnPaint();
    if (state.range(1) == 1)
        dlg.OnRecordVideo();
    for (auto _ : state) {
        dlg.OnPaint();
        QCoreApplication::processEvents();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (dlg.IsRecording()) {
        state.counters["encoded"] = static_cast<double>(dlg.RecordingEncoded());
        state.counters["dropped"] = static_cast<double>(dlg.RecordingDropped());
        dlg.StopRecording(CSwarmDlg::RecordingStop::User);
    }
    QFile::remove(path);
}
BENCHMARK(BM_WindowFrames)
    ->ArgsProduct({{67, 350, 2000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MinTime(5.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    CSwarmDlg dialog;
    dialog.SetMessageBoxRunner([](QMessageBox&) { return int(QMessageBox::Yes); });
    dialog.Create(); // the start preset's coefficients, the template's canvas size
    dialog.show();
    g_dialog = &dialog;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
