// The application object: frames from idle time, the pause while a modal box is
// open, and the way out through Escape or the close box.

#include "CSwarmApp.h"
#include "CSwarmDlg.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <vector>

namespace {

std::vector<float> Positions(const ParticleSystem& ps)
{
    std::vector<float> v;
    for (int i = 0; i < ps.m_nCount; ++i) {
        v.push_back(ps.m_pCur[i].x);
        v.push_back(ps.m_pCur[i].y);
    }
    return v;
}

} // namespace

class TestSwarmApp : public QObject {
    Q_OBJECT
public:
    explicit TestSwarmApp(CSwarmApp& app)
        : m_app(app)
    {
    }

private slots:
    void idleRunsOneFramePerCall();
    void modalBoxStopsIdleFramesButNotPaints();
    void escapeEndsWithExitCodeZeroAfterDeletingTheDialog();
    void closeBoxEndsTheSameWay();

private:
    CSwarmApp& m_app;
    // Runs the event loop until frames have moved the particles, then lets
    // `leave` end it; returns the exit code of the whole run.
    int RunUntilMovedThen(void (*leave)(CSwarmDlg*), QPointer<CSwarmDlg>& dialog);
};

void TestSwarmApp::idleRunsOneFramePerCall()
{
    QVERIFY(m_app.InitInstance());
    CSwarmDlg* dlg = m_app.m_pMainDlg;
    QVERIFY(dlg->isVisible());
    dlg->m_btnPlayNice->setChecked(false);
    const std::vector<float> before = Positions(dlg->m_particles);
    m_app.OnIdle(0);
    QVERIFY(Positions(dlg->m_particles) != before);
    m_app.ExitInstance(0);
}

void TestSwarmApp::modalBoxStopsIdleFramesButNotPaints()
{
    QVERIFY(m_app.InitInstance());
    CSwarmDlg* dlg = m_app.m_pMainDlg;
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Watch out"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No, dlg);
        box.open();
        QVERIFY(QApplication::activeModalWidget() == &box);
        const std::vector<float> before = Positions(dlg->m_particles);
        QVERIFY(m_app.OnIdle(0));
        QCOMPARE(Positions(dlg->m_particles), before);
        // A paint request from the window system still makes a frame.
        QPaintEvent paint(dlg->rect());
        QCoreApplication::sendEvent(dlg, &paint);
        QVERIFY(Positions(dlg->m_particles) != before);
    }
    m_app.ExitInstance(0);
}

int TestSwarmApp::RunUntilMovedThen(void (*leave)(CSwarmDlg*), QPointer<CSwarmDlg>& dialog)
{
    m_app.InitInstance();
    dialog = m_app.m_pMainDlg;
    const std::vector<float> start = Positions(dialog->m_particles);
    QTimer poll;
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, &poll, [&] {
        if (Positions(dialog->m_particles) == start)
            return;
        poll.stop();
        leave(dialog);
    });
    poll.start();
    const int code = m_app.exec();
    return m_app.ExitInstance(code);
}

void TestSwarmApp::escapeEndsWithExitCodeZeroAfterDeletingTheDialog()
{
    QPointer<CSwarmDlg> dialog;
    const int code = RunUntilMovedThen([](CSwarmDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }, dialog);
    QCOMPARE(code, 0);
    QVERIFY(dialog.isNull());
    QVERIFY(m_app.m_pMainDlg == nullptr);
}

void TestSwarmApp::closeBoxEndsTheSameWay()
{
    QPointer<CSwarmDlg> dialog;
    const int code = RunUntilMovedThen([](CSwarmDlg* d) { d->close(); }, dialog);
    QCOMPARE(code, 0);
    QVERIFY(dialog.isNull());
}

int main(int argc, char** argv)
{
    CSwarmApp app(argc, argv);
    TestSwarmApp test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_swarmapp.moc"
