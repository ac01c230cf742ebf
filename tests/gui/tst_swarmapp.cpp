// SPDX-License-Identifier: MIT
// The application object and what it opens over the main dialog: the start file,
// frames from idle time, their pause while the About box or the window menu is open
// and their rest while the window is minimised or paused, the window menu and its
// shortcuts, the routing of window commands, and the way out through Escape or the
// close box.

#include "CAboutDlg.h"
#include "CSwarmApp.h"
#include "Version.h"
#include "WindowPlacement.h"
#include "GuiTestHelpers.h"
#include "SwarmFileCommands.h"
#include "WindowMenu.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QSet>
#include <QWindow>

#include <csignal>
#include <functional>
#include <vector>

namespace {

CSwarmApp& App()
{
    return *static_cast<CSwarmApp*>(qApp);
}

QWidget* OpenAboutBox()
{
    return dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget());
}

QWidget* OpenMenu()
{
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QPushButton* RadButton(QWidget* box)
{
    return box->findChild<QPushButton*>();
}

} // namespace

class TestSwarmApp : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startFileOpensInTheWindow();
    void idleFramesPauseWhileABoxOrTheWindowMenuIsOpen_data();
    void idleFramesPauseWhileABoxOrTheWindowMenuIsOpen();
    void minimisedWindowStopsTheFrameLoopUntilItComesBack();
    void rightClickAndAltSpaceOpenTheWindowMenuWithPauseTicked();
    void theWindowMenuGreysWhatCannotBeDoneNow();
    void windowNotExposedStopsTheFrameLoopUntilExposedAgain();
    void windowStartsWhollyInsideTheAvailableArea_data();
    void windowStartsWhollyInsideTheAvailableArea();
    void pauseRestsTheFrameLoopAndShortcutsWorkWithTheMenuClosed();
    void windowCommandsPassOnAndMaskedAboutOpensTheBox();
    void requestsToEndLeaveWithTheirExitCodeAfterDeletingTheDialog();
    void aSignalDuringABoxAtStartEndsTheProgramWithItsStatus();

private:
    std::unique_ptr<CSwarmDlg> m_dlg;
};

void TestSwarmApp::init()
{
    m_dlg = std::make_unique<CSwarmDlg>(nullptr);
    m_dlg->Create();
    QVERIFY(ShowOnScreen(*m_dlg));
    App().m_pMainDlg = m_dlg.get();
}

void TestSwarmApp::cleanup()
{
    App().m_pMainDlg = nullptr; // the test owns the dialog
    m_dlg.reset();
}

void TestSwarmApp::startFileOpensInTheWindow()
{
    cleanup(); // the application makes its own dialog here
    QTemporaryDir folder;
    App().m_startFile = folder.filePath(QStringLiteral("run.driftmote"));
    QVERIFY(WriteParticlesSnapshot(App().m_startFile, {{1, 2, 0, 0, 0}, {3, 4, 0, 0, 0}}));
    App().InitInstance();
    App().m_startFile.clear();
    CSwarmDlg* dlg = App().m_pMainDlg;
    QCOMPARE(dlg->Session().Particles().m_nCount, 2);
    QCOMPARE(dlg->Session().Particles().m_pCur[1].y, 4.0f);
    QCOMPARE(qobject_cast<QLineEdit*>(GetDlgItem(dlg, IDC_NUM))->text(), QStringLiteral("2"));
    QCOMPARE(App().ExitInstance(0), 0);
}

void TestSwarmApp::idleFramesPauseWhileABoxOrTheWindowMenuIsOpen_data()
{
    // What opens, how to find it once open, and how to close it.
    QTest::addColumn<std::function<void(CSwarmDlg*)>>("open");
    QTest::addColumn<std::function<QWidget*()>>("find");
    QTest::addColumn<std::function<void(QWidget*)>>("close");
    QTest::newRow("About box from the credit button")
        << std::function<void(CSwarmDlg*)>([](CSwarmDlg* d) {
               QTest::mouseClick(qobject_cast<QPushButton*>(GetDlgItem(d, IDC_CREDIT)), Qt::LeftButton);
           })
        << std::function<QWidget*()>(OpenAboutBox)
        << std::function<void(QWidget*)>([](QWidget* box) { QTest::mouseClick(RadButton(box), Qt::LeftButton); });
    QTest::newRow("window menu from a right click")
        << std::function<void(CSwarmDlg*)>([](CSwarmDlg* d) {
               QTest::mouseClick(d->windowHandle(), Qt::RightButton, {}, DialogPointOfPixel(*d, 50, 60));
           })
        << std::function<QWidget*()>(OpenMenu)
        << std::function<void(QWidget*)>([](QWidget* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
}

void TestSwarmApp::idleFramesPauseWhileABoxOrTheWindowMenuIsOpen()
{
    QFETCH(std::function<void(CSwarmDlg*)>, open);
    QFETCH(std::function<QWidget*()>, find);
    QFETCH(std::function<void(QWidget*)>, close);
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    const Particle* before = m_dlg->Session().Particles().m_pCur;
    App().OnIdle(0);
    QVERIFY(m_dlg->Session().Particles().m_pCur != before); // a frame swaps the arrays

    bool gaveUp = false, ownedByDialog = false, pausedWhileOpen = false, paintSteps = false;
    WhenShown(find, [&](QWidget* w) {
        ownedByDialog = w->parentWidget() == m_dlg.get();
        const Particle* cur = m_dlg->Session().Particles().m_pCur;
        pausedWhileOpen = App().OnIdle(0) && App().OnIdle(0) && App().OnIdle(0) && m_dlg->Session().Particles().m_pCur == cur;
        // A paint request from the window system still makes a frame.
        SendPaint(m_dlg.get());
        paintSteps = m_dlg->Session().Particles().m_pCur != cur;
        close(w);
    }, &gaveUp);
    open(m_dlg.get());

    QVERIFY(!gaveUp);
    QVERIFY(ownedByDialog);
    QVERIFY(pausedWhileOpen);
    QVERIFY(paintSteps);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!QApplication::activePopupWidget());
    before = m_dlg->Session().Particles().m_pCur;
    App().OnIdle(0);
    QVERIFY(m_dlg->Session().Particles().m_pCur != before); // frames resume
}

void TestSwarmApp::minimisedWindowStopsTheFrameLoopUntilItComesBack()
{
    cleanup(); // the application makes its own dialog and runs its own frame loop
    App().InitInstance();
    CSwarmDlg* dlg = App().m_pMainDlg;
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    QVERIFY(App().m_idleTimer.isActive());

    dlg->showMinimized();
    QTRY_VERIFY(!App().m_idleTimer.isActive());
    const Particle* resting = dlg->Session().Particles().m_pCur;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QVERIFY(!App().m_idleTimer.isActive());
    QVERIFY(dlg->Session().Particles().m_pCur == resting);

    dlg->showNormal();
    QTRY_VERIFY(App().m_idleTimer.isActive());
    QTRY_VERIFY(dlg->Session().Particles().m_pCur != resting);
    QCOMPARE(App().ExitInstance(0), 0);
}

void TestSwarmApp::windowNotExposedStopsTheFrameLoopUntilExposedAgain()
{
    // A compositor that stops drawing a window takes its exposure away without
    // minimising it, and gives it back when the window shows again.
    cleanup();
    App().InitInstance();
    CSwarmDlg* dlg = App().m_pMainDlg;
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    QWindow* window = dlg->windowHandle();

    bool exposed = false;
    App().m_isExposed = [&exposed](const QWindow&) { return exposed; };
    QExposeEvent hidden{QRegion()};
    QCoreApplication::sendEvent(window, &hidden);
    QTRY_VERIFY(!App().m_idleTimer.isActive());
    const ParticleSystem& particles = dlg->Session().Particles();
    const std::vector<Particle> resting(particles.m_pCur, particles.m_pCur + particles.m_nCount);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QVERIFY(!App().m_idleTimer.isActive());
    QVERIFY(std::equal(resting.begin(), resting.end(), particles.m_pCur,
                       [](const Particle& a, const Particle& b) { return a.x == b.x && a.y == b.y; }));

    exposed = true;
    QExposeEvent shown{QRegion(QRect(QPoint(), window->size()))};
    QCoreApplication::sendEvent(window, &shown);
    QVERIFY(App().m_idleTimer.isActive());
    App().m_isExposed = [](const QWindow& w) { return w.isExposed(); };
    QCOMPARE(App().ExitInstance(0), 0);
}

void TestSwarmApp::windowStartsWhollyInsideTheAvailableArea_data()
{
    // The frame adds 1, 20, 1 and 5 pixels; the window may not be below 455 by 359.
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("fitted");
    QTest::addColumn<QPoint>("frame");
    QTest::newRow("fits: centred") << QRect(0, 0, 1280, 1024) << QSize(600, 455) << QSize(600, 455) << QPoint(339, 272);
    QTest::newRow("fits below a panel") << QRect(0, 32, 640, 480) << QSize(601, 455) << QSize(601, 455) << QPoint(18, 32);
    QTest::newRow("too tall: shorter") << QRect(0, 0, 640, 512) << QSize(601, 500) << QSize(601, 487) << QPoint(18, 0);
    QTest::newRow("too large: smaller") << QRect(50, 30, 640, 400) << QSize(700, 455) << QSize(638, 375) << QPoint(50, 30);
    QTest::newRow("below the minimum") << QRect(0, 0, 640, 300) << QSize(601, 468) << QSize(601, 359) << QPoint(18, 0);
    QTest::newRow("narrower than the minimum") << QRect(0, 0, 400, 600) << QSize(601, 455) << QSize(455, 455)
                                               << QPoint(0, 60);
}

void TestSwarmApp::windowStartsWhollyInsideTheAvailableArea()
{
    QFETCH(QRect, area);
    QFETCH(QSize, client);
    QFETCH(QSize, fitted);
    QFETCH(QPoint, frame);
    const QMargins margins(1, 20, 1, 5);
    QCOMPARE(FittedClient(area, client, QSize(455, 359), margins), fitted);
    QCOMPARE(FramePosition(area, fitted, margins), frame);
}

void TestSwarmApp::rightClickAndAltSpaceOpenTheWindowMenuWithPauseTicked()
{
    // A right click over the canvas, which lets the pointer through to the dialog,
    // and Alt+Space open the same menu; its Pause entry is ticked while paused and
    // P chooses it.
    const std::function<void()> openers[] = {
        [&] { QTest::mouseClick(m_dlg->windowHandle(), Qt::RightButton, {}, DialogPointOfPixel(*m_dlg, 50, 60)); },
        [&] { QTest::keyClick(m_dlg.get(), Qt::Key_Space, Qt::AltModifier); },
    };
    for (const std::function<void()>& open : openers) {
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        const bool paused = m_dlg->IsPaused();
        bool gaveUp = false, ticked = !paused;
        WhenShown(OpenMenu, [&](QWidget* w) {
            for (QAction* action : static_cast<QMenu*>(w)->actions())
                if (action->data().toUInt() == IDM_PAUSE)
                    ticked = action->isChecked();
            QTest::keyClick(w, Qt::Key_P);
        }, &gaveUp);
        open();
        QVERIFY(!gaveUp);
        QCOMPARE(ticked, paused);
        QCOMPARE(m_dlg->IsPaused(), !paused);
        QVERIFY(!QApplication::activePopupWidget());
    }
}

void TestSwarmApp::theWindowMenuGreysWhatCannotBeDoneNow()
{
    // The entries a user finds greyed when the menu opens, in each state of the
    // window; Record Video also where the build has no video.
    const QString record = QStringLiteral("Record &Video...");
    const struct {
        const char* state;
        std::function<void()> enter;
        QStringList greyed;
    } rows[] = {
        {"normal", [] {}, {QStringLiteral("&Restore"), QStringLiteral("Step One &Frame")}},
        {"paused", [&] { m_dlg->OnSysCommand(IDM_PAUSE, 0); }, {QStringLiteral("&Restore")}},
        {"maximized and paused",
         [&] {
             m_dlg->showMaximized();
             QTRY_VERIFY(m_dlg->isMaximized());
         },
         {QStringLiteral("Ma&ximize")}},
    };
    for (const auto& row : rows) {
        row.enter();
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        bool gaveUp = false;
        QStringList greyed;
        WhenShown(OpenMenu, [&](QWidget* w) {
            for (QAction* action : static_cast<QMenu*>(w)->actions())
                if (!action->isEnabled() && (action->text() != record || CSwarmDlg::CanRecordVideo()))
                    greyed << action->text();
            QTest::keyClick(w, Qt::Key_Escape);
        }, &gaveUp);
        QTest::keyClick(m_dlg.get(), Qt::Key_Space, Qt::AltModifier);
        QVERIFY2(!gaveUp, row.state);
        QCOMPARE(greyed, row.greyed);
    }
}

void TestSwarmApp::pauseRestsTheFrameLoopAndShortcutsWorkWithTheMenuClosed()
{
    cleanup(); // the application makes its own dialog and runs its own frame loop
    App().InitInstance();
    CSwarmDlg* dlg = App().m_pMainDlg;
    dlg->activateWindow(); // with no window manager nothing else does
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    std::vector<FileDialogRequest> asked;
    dlg->SetFileDialogRunner([&asked](const FileDialogRequest& request) {
        asked.push_back(request);
        return QString();
    });
    // The keys go to the count box, which has the focus, as a user's would.
    QWidget* focus = QApplication::focusWidget();
    auto* countBox = qobject_cast<QLineEdit*>(GetDlgItem(dlg, IDC_NUM));
    QCOMPARE(focus, countBox);
    const QString count = countBox->text();
    const auto turn = [] {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    };

    QTest::keyClick(focus, Qt::Key_Pause);
    QVERIFY(dlg->IsPaused());
    QTRY_VERIFY(!App().m_idleTimer.isActive());
    const Particle* resting = dlg->Session().Particles().m_pCur;
    turn();
    QVERIFY(dlg->Session().Particles().m_pCur == resting);

    // One frame for each Ctrl+. while paused; the loop goes on resting.
    QTest::keyClick(focus, Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(dlg->Session().Particles().m_pCur != resting);
    turn();
    QVERIFY(!App().m_idleTimer.isActive());
    QVERIFY(dlg->Session().Particles().m_pCur != resting);

    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(asked.size(), 3u);
    QVERIFY(asked[0].save && asked[0].filter == QString::fromUtf8(kPictureFilter));
    QVERIFY(asked[1].save && asked[1].filter == QString::fromUtf8(kSnapshotFilter));
    QVERIFY(!asked[2].save && asked[2].filter == QString::fromUtf8(kSnapshotFilter));
    QCOMPARE(countBox->text(), count);

    // Resumed, the loop turns again; running, Ctrl+. is not a frame of its own.
    QTest::keyClick(focus, Qt::Key_Pause);
    QVERIFY(!dlg->IsPaused());
    QTRY_VERIFY(App().m_idleTimer.isActive());
    QTRY_VERIFY(dlg->Session().Particles().m_pCur != resting);
    App().m_idleTimer.stop();
    const Particle* running = dlg->Session().Particles().m_pCur;
    QTest::keyClick(focus, Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(dlg->Session().Particles().m_pCur == running);
    QCOMPARE(countBox->text(), count);
    QCOMPARE(App().ExitInstance(0), 0);
}

void TestSwarmApp::windowCommandsPassOnAndMaskedAboutOpensTheBox()
{
    m_dlg->OnSysCommand(SysCommand::Maximize | 2, 0);
    QTRY_VERIFY(m_dlg->isMaximized());
    m_dlg->OnSysCommand(SysCommand::Restore, 0);
    QTRY_VERIFY(!m_dlg->isMaximized());
    m_dlg->OnSysCommand(SysCommand::Minimize, 0);
    QTRY_VERIFY(m_dlg->isMinimized());
    m_dlg->OnSysCommand(SysCommand::Restore, 0);
    QTRY_VERIFY(!m_dlg->isMinimized());

    // Commands the dialog does not know change nothing and open nothing.
    m_dlg->OnSysCommand(0x0020, 0);
    QVERIFY(m_dlg->isVisible());
    QVERIFY(!QApplication::activeModalWidget());

    bool gaveUp = false, opened = false;
    QStringList cutOff;
    WhenShown(OpenAboutBox, [&](QWidget* box) {
        opened = RadButton(box)->isDefault();
        // Every text shows whole within its place: nothing wraps out of sight.
        for (QLabel* label : box->findChildren<QLabel*>())
            if (!TextFits(label))
                cutOff << label->text();
        QTest::keyClick(box, Qt::Key_Return); // Enter presses the default button
    }, &gaveUp);
    m_dlg->OnSysCommand(IDM_ABOUTBOX | 0xF, 0);
    QVERIFY(!gaveUp);
    QVERIFY(opened);
    QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff.join('\n')));
    QVERIFY(!QApplication::activeModalWidget());

    // Close, with the system's low bits, is the close box.
    m_dlg->OnSysCommand(SysCommand::Close | 3, 0);
    QVERIFY(!m_dlg->isVisible());
}

void TestSwarmApp::requestsToEndLeaveWithTheirExitCodeAfterDeletingTheDialog()
{
    cleanup(); // the application makes its own dialog here
    const struct {
        const char* what;
        void (*leave)(CSwarmDlg*);
        int exitCode;
        int count; // the particles when the program ends
    } cases[] = {
        {"Escape", [](CSwarmDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }, 0, 67},
        {"close box", [](CSwarmDlg* d) { d->close(); }, 0, 67},
        {"SIGTERM", [](CSwarmDlg*) { std::raise(SIGTERM); }, 128 + SIGTERM, 67},
        {"SIGHUP", [](CSwarmDlg*) { std::raise(SIGHUP); }, 128 + SIGHUP, 67},
        // Waiting in the queue, the Escape reaches the window at the scatter's
        // first look at its events; the scatter is abandoned and nothing changes.
        {"Escape during a long scatter",
         [](CSwarmDlg* d) {
             d->SetMessageBoxRunner([](QMessageBox&) { return int(QMessageBox::Yes); });
             QCoreApplication::postEvent(d, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
             qobject_cast<QLineEdit*>(GetDlgItem(d, IDC_NUM))->setText(QStringLiteral("3000000"));
         },
         0, 67},
    };
    for (const auto& c : cases) {
        // Runs the event loop until frames have moved the particles, then leaves.
        App().InitInstance();
        QPointer<CSwarmDlg> dialog = App().m_pMainDlg;
        const auto positions = [&] { return Positions(dialog->Session().Particles()); };
        const std::vector<float> start = positions();
        int count = -1;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, &poll, [&] {
            if (positions() == start)
                return;
            poll.stop();
            c.leave(dialog);
            if (dialog)
                count = dialog->Session().Particles().m_nCount;
        });
        connect(dialog, &QObject::destroyed, &poll, [&] { poll.stop(); });
        poll.start();
        QCOMPARE(App().ExitInstance(App().exec()), c.exitCode);
        QVERIFY2(dialog.isNull(), c.what);
        QVERIFY(App().m_pMainDlg == nullptr);
        if (count >= 0)
            QCOMPARE(count, c.count);
    }
}

void TestSwarmApp::aSignalDuringABoxAtStartEndsTheProgramWithItsStatus()
{
    cleanup(); // the application makes its own dialog here
    QTemporaryDir folder;
    const QString large = folder.filePath(QStringLiteral("large.driftmote"));
    const QString bad = folder.filePath(QStringLiteral("bad.driftmote"));
    QVERIFY(WriteParticlesSnapshot(large, std::vector<Particle>(351, Particle{})));
    QFile badFile(bad);
    QVERIFY(badFile.open(QIODevice::WriteOnly) && badFile.write("{") == 1);
    badFile.close();
    const struct {
        const char* what;
        QString file;
        int signal;
    } cases[] = {
        {"Watch out before a large snapshot", large, SIGTERM},
        {"the error box of a bad file", bad, SIGINT},
    };
    // A main loop that ends leaves every loop free to turn again, and a Quit that a
    // closed window posted taken; a program whose main loop never ran does not.
    const auto asAfterAMainLoop = [] {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        App().exec();
    };
    for (const auto& c : cases) {
        asAfterAMainLoop();
        App().m_startFile = c.file;
        // Started with the signal, it acts only in a loop that runs once the box is
        // gone: the main loop, which would otherwise run on for good.
        bool mainLoopRan = false;
        QTimer mainLoop;
        connect(&mainLoop, &QTimer::timeout, &mainLoop, [&] {
            if (!QApplication::activeModalWidget()) {
                mainLoopRan = true;
                QCoreApplication::exit(-1);
            }
        });
        bool gaveUp = false;
        // The signal comes while the box runs its own loop, before the main loop.
        WhenShown([] { return QApplication::activeModalWidget(); }, [&](QWidget*) {
            mainLoop.start(10);
            std::raise(c.signal);
        }, &gaveUp);
        const int status = App().Run();
        mainLoop.stop();
        App().m_startFile.clear();
        QCOMPARE(status, 128 + c.signal);
        QVERIFY2(!gaveUp, c.what);
        QVERIFY2(!mainLoopRan, c.what);
        QVERIFY(App().m_pMainDlg == nullptr);
    }
    asAfterAMainLoop();
}

// The frames are driven through the program's own application object.
int main(int argc, char** argv)
{
    CSwarmApp app(argc, argv);
    TestSwarmApp tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_swarmapp.moc"
