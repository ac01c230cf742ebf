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

    // Creates and shows the main dialog and starts the frame loop.
    bool InitInstance();

    // One idle turn: one frame, unless a modal box is open (then only the paint
    // requests that the window system sends make frames). Asks to be called again.
    bool OnIdle(long count);

    // Deletes the dialog; returns the exit code the event loop ended with.
    int ExitInstance(int exitCode);

    int Run();

    CSwarmDlg* m_pMainDlg = nullptr; // owned

private:
    QTimer m_idleTimer; // zero interval: fires whenever the event queue is empty
};
