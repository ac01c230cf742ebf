// SPDX-License-Identifier: MIT
// The main dialog's video: the canvas as the screen shows it, in device pixels,
// recorded 60 times a second of wall-clock time. Each frame, and each tick of a
// timer while no frames run, hands the encoder's thread the picture drawn last, at
// most one per 60th of a second; the frame loop never waits for the encoder. The
// step keeps to one thread meanwhile, leaving a core to the encoder.

#include "CSwarmDlg.h"

#include "RunStateDisplay.h"

#include "SwarmRenderer.h"

#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>

#ifdef DRIFTMOTE_WINDOW_VIDEO
#include "VideoRecorder.h"
#endif

namespace {

constexpr int kRecordFps = 60;
constexpr const char* kVideoFilter = "MP4 videos (*.mp4);;WebM videos (*.webm)";
constexpr const char* kVideoSuffix = "mp4";

} // namespace

// One recording under way.
struct WindowRecording {
#ifdef DRIFTMOTE_WINDOW_VIDEO
    VideoRecorder recorder;
#endif
    QTimer ticks;
    QString path;
    QSize size;        // of the recorded pictures, device pixels
    std::chrono::steady_clock::time_point start;
    long long lastFrame = -1; // the time of the picture handed over last, in frames
    int stepThreads = 0;      // the session's step threads before the recording
};

bool CSwarmDlg::CanRecordVideo()
{
#ifdef DRIFTMOTE_WINDOW_VIDEO
    return true;
#else
    return false;
#endif
}

bool CSwarmDlg::IsRecording() const
{
    return m_recording != nullptr;
}

long long CSwarmDlg::RecordingEncoded() const
{
#ifdef DRIFTMOTE_WINDOW_VIDEO
    return m_recording ? m_recording->recorder.Encoded() : 0;
#else
    return 0;
#endif
}

long long CSwarmDlg::RecordingDropped() const
{
#ifdef DRIFTMOTE_WINDOW_VIDEO
    return m_recording ? m_recording->recorder.Dropped() : 0;
#else
    return 0;
#endif
}

void CSwarmDlg::OnRecordVideo()
{
    if (IsRecording()) {
        StopRecording(RecordingStop::User);
        return;
    }
#ifdef DRIFTMOTE_WINDOW_VIDEO
    const QString path = m_runFileDialog({true, QStringLiteral("Record Video"), QString::fromUtf8(kVideoFilter),
                                          QString::fromUtf8(kVideoSuffix)});
    // The entry shows a check only while a recording runs, also after a cancel.
    UpdateMenuActions();
    if (path.isEmpty())
        return;
    const QImage& shown = m_backBuffer.Image(); // device pixels, as the screen shows them
    if (shown.isNull()) {
        ShowFileError(QStringLiteral("%1: the canvas has no picture to record yet.").arg(path));
        return;
    }
    auto recording = std::make_shared<WindowRecording>();
    VideoSettings settings;
    settings.fps = kRecordFps;
    settings.exact = false;
    settings.threads = 1; // on the recorder's thread, beside the frames' one
    settings.pad = kCanvasBackground;
    std::string error;
    if (!recording->recorder.Start(path.toStdString(), shown.width(), shown.height(), settings, error)) {
        ShowFileError(QString::fromStdString(error));
        return;
    }
    recording->path = path;
    recording->size = shown.size();
    recording->start = std::chrono::steady_clock::now();
    recording->stepThreads = m_session.StepThreads();
    m_session.SetStepThreads(1);
    // The ticks come at least 60 times a second; each hands over at most one
    // picture, at the frame its wall-clock time rounds to.
    recording->ticks.setTimerType(Qt::PreciseTimer);
    recording->ticks.setInterval(1000 / kRecordFps - 1);
    connect(&recording->ticks, &QTimer::timeout, this, &CSwarmDlg::OnRecordTick);
    m_recording = std::move(recording);
    ShowRunState();
    OnRecordTick();
    m_recording->ticks.start();
    UpdateMenuActions();
#endif
}

void CSwarmDlg::OnRecordTick()
{
#ifdef DRIFTMOTE_WINDOW_VIDEO
    if (!m_recording)
        return;
    WindowRecording& recording = *m_recording;
    if (recording.recorder.Failed()) {
        StopRecording(RecordingStop::Failed);
        return;
    }
    const QImage& shown = m_backBuffer.Image(); // device pixels, as the screen shows them
    if (!shown.isNull() && shown.size() != recording.size) {
        StopRecording(RecordingStop::Resized);
        return;
    }
    OfferRecordingPicture();
#endif
}

void CSwarmDlg::OfferRecordingPicture()
{
#ifdef DRIFTMOTE_WINDOW_VIDEO
    if (!m_recording)
        return;
    WindowRecording& recording = *m_recording;
    const QImage& shown = m_backBuffer.Image(); // device pixels, as the screen shows them
    // A picture of another size waits for the tick, which stops the recording.
    if (shown.isNull() || shown.size() != recording.size)
        return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - recording.start;
    const long long frame = std::llround(elapsed.count() * kRecordFps);
    if (frame <= recording.lastFrame)
        return;
    recording.recorder.Offer(shown.constBits(), shown.bytesPerLine(), frame);
    recording.lastFrame = frame;
#endif
}

void CSwarmDlg::FinishRecordingAtExit()
{
#ifdef DRIFTMOTE_WINDOW_VIDEO
    std::string error;
    if (m_recording && !m_recording->recorder.Stop(error))
        std::fprintf(stderr, "driftmote: %s\n", error.c_str());
#endif
}

void CSwarmDlg::StopRecording(RecordingStop reason)
{
    if (!m_recording)
        return;
    const std::shared_ptr<WindowRecording> recording = std::move(m_recording);
    recording->ticks.stop();
    m_session.SetStepThreads(recording->stepThreads);
    ShowRunState();
    UpdateMenuActions();
    long long missing = 0;
#ifdef DRIFTMOTE_WINDOW_VIDEO
    std::string error;
    if (!recording->recorder.Stop(error)) {
        ShowFileError(QStringLiteral("%1\nThe recording has stopped and its file is removed.")
                          .arg(QString::fromStdString(error)));
        return;
    }
    // Every 60th of a second from the first picture to the last has a picture in
    // the file unless the encoder was behind or no frame and no tick came in it.
    missing = recording->lastFrame + 1 - recording->recorder.Encoded();
#endif
    // Closing the window says nothing: that is the user's own stop, and a box
    // would hold up the exit. A stop the user did not ask for says why, and any
    // stop says how many pictures the video lacks, once the file is complete.
    if (reason == RecordingStop::Closed)
        return;
    QString text;
    if (reason == RecordingStop::SnapshotOpened)
        text = QStringLiteral("The recording has stopped because a snapshot was opened. ");
    else if (reason == RecordingStop::Resized)
        text = QStringLiteral("The recording has stopped because the canvas changed size. ");
    else if (missing <= 0)
        return;
    text += QStringLiteral("The video is complete in %1.").arg(recording->path);
    if (missing > 0)
        text += QStringLiteral("\n%1 of its %2 pictures were dropped because the computer was too busy; the "
                               "video shows the picture before for those.")
                    .arg(missing)
                    .arg(recording->lastFrame + 1);
    QMessageBox box(QMessageBox::Information, QStringLiteral("Driftmote"), text, QMessageBox::Ok, this);
    m_runMessageBox(box);
}
