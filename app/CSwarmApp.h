// SPDX-License-Identifier: MIT
#pragma once

// The application: starts the main dialog, drives the frames from idle time and
// deletes the dialog at the end.

#include "FrameLog.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <functional>

class CSwarmDlg;

class CSwarmApp : public QApplication {
public:
    CSwarmApp(int& argc, char** argv);
    ~CSwarmApp() override;

    // Creates and shows the main dialog, opens m_startFile in it if one is named
    // (a bad file is reported over the usual start) and starts the frame loop.
    bool InitInstance();

    // One idle turn: one frame, unless a modal box or a menu is open (then only
    // the paint requests that the window system sends make frames) or the window
    // is minimised, not exposed (hidden by the compositor) or paused (then the
    // frame loop waits for it to come back or to resume). Asks to be called again.
    bool OnIdle(long count);

    // Deletes the dialog; returns the exit code the event loop ended with.
    int ExitInstance(int exitCode);

    int Run();

    CSwarmDlg* m_pMainDlg = nullptr; // owned
    QString m_startFile;             // a snapshot to open at start, empty for none

    // Whether the window system shows the main dialog's window; tests replace it
    // to hide the window as a compositor does.
    std::function<bool(const QWindow&)> m_isExposed = [](const QWindow& window) { return window.isExposed(); };

    // Zero interval: fires whenever the event queue is empty. Stopped while the
    // main dialog is minimised, not exposed or paused.
    QTimer m_idleTimer;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the main dialog can be seen and runs: not minimised, exposed, not paused.
    bool WindowRuns() const;
    void WaitForWindow();
    void ResumeAfterWindowCameBack();

    bool m_bWaitingForWindow = false; // the idle timer was stopped for a hidden or paused window
    long long m_frames = 0;           // frames the loop has run
    FrameLog m_frameLog;
};
