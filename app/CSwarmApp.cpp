#include "CSwarmApp.h"

#include "CSwarmDlg.h"
#include "Version.h"

#include <QPaintEvent>

namespace {

// How often a modal box is checked for having closed, in milliseconds.
constexpr int kModalPollMs = 20;

} // namespace

CSwarmApp::CSwarmApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationVersion(QStringLiteral(DRIFTMOTE_VERSION_STRING));
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] { OnIdle(0); });
}

CSwarmApp::~CSwarmApp()
{
    delete m_pMainDlg;
}

bool CSwarmApp::InitInstance()
{
    m_pMainDlg = new CSwarmDlg(nullptr);
    m_pMainDlg->Create();
    m_pMainDlg->showNormal();
    m_idleTimer.start();
    return true;
}

bool CSwarmApp::OnIdle(long)
{
    // The timer also fires inside a modal box's own loop; there the frames stop,
    // and the timer only looks now and then for the box to close.
    if (!m_pMainDlg || activeModalWidget()) {
        if (m_idleTimer.interval() != kModalPollMs)
            m_idleTimer.setInterval(kModalPollMs);
        return true;
    }
    if (m_idleTimer.interval() != 0)
        m_idleTimer.setInterval(0);
    QPaintEvent paint(m_pMainDlg->rect());
    sendEvent(m_pMainDlg, &paint);
    return true;
}

int CSwarmApp::ExitInstance(int exitCode)
{
    m_idleTimer.stop();
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    return exitCode;
}

int CSwarmApp::Run()
{
    if (!InitInstance())
        return 1;
    const int exitCode = exec();
    return ExitInstance(exitCode);
}
