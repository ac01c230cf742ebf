// SPDX-License-Identifier: MIT
#include "CSwarmApp.h"

#include "CSwarmDlg.h"

CSwarmApp::CSwarmApp(HINSTANCE instance)
    : m_hInstance(instance)
{
}

CSwarmApp::~CSwarmApp()
{
    delete m_pMainDlg;
}

BOOL CSwarmApp::InitInstance()
{
    m_pMainDlg = new CSwarmDlg;
    if (!m_pMainDlg->Create(m_hInstance))
        return FALSE;
    ShowWindow(m_pMainDlg->Window(), SW_SHOWNORMAL);
    if (!m_startFile.empty())
        m_pMainDlg->OpenSnapshot(m_startFile);
    return TRUE;
}

BOOL CSwarmApp::OnIdle(LONG)
{
    SendMessageW(m_pMainDlg->Window(), WM_PAINT, 0, 0);
    ++m_frames;
    return TRUE;
}

int CSwarmApp::ExitInstance(int exitCode)
{
    m_frameLog.Note("exit", m_frames);
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    return exitCode;
}

int CSwarmApp::Run()
{
    if (!InitInstance())
        return 1;
    bool resting = false;
    LONG idleCount = 0;
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return ExitInstance(static_cast<int>(msg.wParam));
            if (!m_pMainDlg->PreTranslateMessage(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            idleCount = 0;
        }
        if (m_pMainDlg->RunsFrames()) {
            if (resting)
                m_frameLog.Note("resume", m_frames);
            resting = false;
            OnIdle(idleCount++);
            continue;
        }
        // A minimised window shows no frames and a paused one draws only when
        // asked to: the loop sleeps until a message comes.
        if (!resting)
            m_frameLog.Note("rest", m_frames);
        resting = true;
        WaitMessage();
    }
}
