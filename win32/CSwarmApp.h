// SPDX-License-Identifier: MIT
#pragma once

// The application on Windows: creates the main dialog, drives the frames from
// idle time and deletes the dialog at the end. There is no timer and no second
// thread: whenever the message queue is empty the loop sends the dialog one
// synchronous WM_PAINT, which is one frame, so every message is handled between
// two frames. While the window is minimised or paused the loop rests until a
// message comes.

#include "FrameLog.h"

#include <windows.h>

#include <string>

class CSwarmDlg;

class CSwarmApp {
public:
    explicit CSwarmApp(HINSTANCE instance);
    ~CSwarmApp();
    CSwarmApp(const CSwarmApp&) = delete;
    CSwarmApp& operator=(const CSwarmApp&) = delete;

    // Creates and shows the main dialog and opens m_startFile in it if one is
    // named (a bad file is reported over the usual start).
    BOOL InitInstance();

    // One idle turn: one frame. Asks to be called again.
    BOOL OnIdle(LONG count);

    // Deletes the dialog; returns the exit code the quit message carried.
    int ExitInstance(int exitCode);

    // InitInstance, the message loop with its idle turns, ExitInstance.
    int Run();

    CSwarmDlg* m_pMainDlg = nullptr; // owned
    std::string m_startFile;         // a snapshot to open at start (UTF-8), empty for none

private:
    HINSTANCE m_hInstance;
    long long m_frames = 0; // frames the loop has run
    FrameLog m_frameLog;
};
