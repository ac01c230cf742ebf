// SPDX-License-Identifier: MIT
#pragma once

// The application: starts the main dialog, drives the frames from idle time and
// deletes the dialog at the end.

#include <QApplication>
#include <QTimer>

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
    // is minimised or paused (then the frame loop waits for it to come back or to
    // resume). Asks to be called again.
    bool OnIdle(long count);

    // Deletes the dialog; returns the exit code the event loop ended with.
    int ExitInstance(int exitCode);

    int Run();

    CSwarmDlg* m_pMainDlg = nullptr; // owned
    QString m_startFile;             // a snapshot to open at start, empty for none

    // Zero interval: fires whenever the event queue is empty. Stopped while the
    // main dialog is minimised or paused.
    QTimer m_idleTimer;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WaitForWindow();
    void ResumeAfterWindowCameBack();

    bool m_bWaitingForWindow = false; // the idle timer was stopped for a minimised or paused window
};
