// SPDX-License-Identifier: MIT
#include "CSwarmApp.h"

#include "CSwarmDlg.h"
#include "StopSignals.h"
#include "Version.h"
#include "WindowPlacement.h"

#include <QPaintEvent>

#include <cstdlib>

namespace {

// How often a modal box is checked for having closed, in milliseconds.
constexpr int kModalPollMs = 20;

CSwarmApp* g_app = nullptr; // while it exists

// The toolkit leaves by exit() when its display goes away: a recording under way
// is finished all the same, as when the window closes.
extern "C" void FinishAtExit()
{
    if (g_app && g_app->m_pMainDlg)
        g_app->m_pMainDlg->FinishRecordingAtExit();
}

} // namespace

CSwarmApp::CSwarmApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    static const bool registered = std::atexit(FinishAtExit) == 0;
    (void)registered;
    g_app = this;
    setApplicationVersion(QStringLiteral(DRIFTMOTE_VERSION_STRING));
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] { OnIdle(0); });
    // Sees the main dialog's window-state changes, to resume the frames.
    installEventFilter(this);
}

CSwarmApp::~CSwarmApp()
{
    g_app = nullptr;
    delete m_pMainDlg;
}

bool CSwarmApp::InitInstance()
{
    m_pMainDlg = new CSwarmDlg(nullptr);
    m_pMainDlg->Create();
    m_pMainDlg->SetPauseListener([this](bool) { ResumeAfterWindowCameBack(); });
    // SIGHUP, SIGINT and SIGTERM end the program as the close box does, with 128 + the signal.
    WatchStopSignals(this, [this](int signal) {
        if (m_pMainDlg)
            m_pMainDlg->RequestClose(128 + signal);
    });
    PlaceOnScreen(*m_pMainDlg);
    m_pMainDlg->showNormal();
    if (!m_startFile.isEmpty())
        m_pMainDlg->OpenSnapshot(m_startFile);
    m_idleTimer.start();
    return true;
}

bool CSwarmApp::OnIdle(long)
{
    if (m_pMainDlg && !WindowRuns()) {
        WaitForWindow();
        return true;
    }
    // The timer also fires inside a modal box's or a menu's own loop; there the
    // frames stop, and the timer only looks now and then for it to close.
    if (!m_pMainDlg || activeModalWidget() || activePopupWidget()) {
        if (m_idleTimer.interval() != kModalPollMs)
            m_idleTimer.setInterval(kModalPollMs);
        return true;
    }
    if (m_idleTimer.interval() != 0)
        m_idleTimer.setInterval(0);
    QPaintEvent paint(m_pMainDlg->rect());
    sendEvent(m_pMainDlg, &paint);
    ++m_frames;
    return true;
}

bool CSwarmApp::WindowRuns() const
{
    // A compositor that stops drawing a window (minimised, on another workspace,
    // covered) says so by taking its exposure away; minimised alone is not reported
    // everywhere.
    const QWindow* window = m_pMainDlg->windowHandle();
    return !m_pMainDlg->isMinimized() && window && m_isExposed(*window) && !m_pMainDlg->IsPaused();
}

void CSwarmApp::WaitForWindow()
{
    // A hidden window shows no frames and a paused one draws only when asked to:
    // instead of turning idly, the loop sleeps until the window comes back or resumes.
    m_idleTimer.stop();
    if (!m_bWaitingForWindow)
        m_frameLog.Note("rest", m_frames);
    m_bWaitingForWindow = true;
}

void CSwarmApp::ResumeAfterWindowCameBack()
{
    if (!m_bWaitingForWindow || !m_pMainDlg || !WindowRuns())
        return;
    m_bWaitingForWindow = false;
    m_frameLog.Note("resume", m_frames);
    m_idleTimer.start();
}

bool CSwarmApp::eventFilter(QObject* watched, QEvent* event)
{
    if (m_pMainDlg && event->type() == QEvent::WindowStateChange && watched == m_pMainDlg)
        ResumeAfterWindowCameBack();
    // Exposure arrives at the dialog's window, not at the dialog.
    if (m_pMainDlg && event->type() == QEvent::Expose && watched == m_pMainDlg->windowHandle())
        ResumeAfterWindowCameBack();
    return QApplication::eventFilter(watched, event);
}

int CSwarmApp::ExitInstance(int exitCode)
{
    // A cancelled dialog's code stands, whichever loop its request ended last.
    if (m_pMainDlg && m_pMainDlg->IsEnding())
        exitCode = m_pMainDlg->ExitCode();
    m_frameLog.Note("exit", m_frames);
    m_bWaitingForWindow = false;
    m_idleTimer.stop();
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    return exitCode;
}

int CSwarmApp::Run()
{
    if (!InitInstance())
        return 1;
    // A request to end that came during a box at start has ended that box's loop;
    // the main loop would start afresh and never end.
    const int exitCode = m_pMainDlg->IsEnding() ? m_pMainDlg->ExitCode() : exec();
    return ExitInstance(exitCode);
}
