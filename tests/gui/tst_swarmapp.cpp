// SPDX-License-Identifier: MIT
// The application object and what it opens over the main dialog: frames from idle
// time, their pause while the About box or the window menu is open and their rest
// while the window is minimised, the About box, the window menu
// and the routing of window commands, and the way out through Escape or the close box.

#include "CAboutDlg.h"
#include "CSwarmApp.h"
#include "Version.h"
#include "GuiTestHelpers.h"
#include "SwarmFileCommands.h"
#include "WindowMenu.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>

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

    void aboutBoxTextsIconsAndDefaultButton();
    void idleFramesPauseWhileABoxOrTheWindowMenuIsOpen_data();
    void idleFramesPauseWhileABoxOrTheWindowMenuIsOpen();
    void minimisedWindowStopsTheFrameLoopUntilItComesBack();
    void rightClickAndAltSpaceOpenTheWindowMenu();
    void pauseRestsTheFrameLoopAndShortcutsWorkWithTheMenuClosed();
    void windowCommandsPassOnAndMaskedAboutOpensTheBox();
    void escapeAndCloseBoxEndWithExitCodeZeroAfterDeletingTheDialog();

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

void TestSwarmApp::aboutBoxTextsIconsAndDefaultButton()
{
    CAboutDlg box(m_dlg.get());
    QCOMPARE(box.windowTitle(), QStringLiteral("About Driftmote"));
    QCOMPARE(box.parentWidget(), m_dlg.get());

    QStringList texts;
    int icons = 0;
    for (QLabel* label : box.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->pixmap().isNull()) {
            ++icons;
            continue;
        }
        texts << label->text();
        // Every text shows whole within its place: nothing wraps out of sight.
        QVERIFY2(TextFits(label), qPrintable(label->text()));
    }
    QCOMPARE(icons, 3);
    QCOMPARE(texts.size(), 4);
    QCOMPARE(texts[0], QStringLiteral("I was thinking about cheerios, obviously. The motion of the particles in this "
                                      "program is entirely modelled with force effects, without any model of "
                                      "'surfaces'*."));
    QCOMPARE(texts[1], QStringLiteral("* Lie. The walls are modelled as surfaces."));
    QVERIFY(texts[2].startsWith(QStringLiteral("Quenly Vostrake 20030818")));
    QVERIFY(texts[2].contains(QRegularExpression(QStringLiteral("[\\w.]+@example\\.org"))));
    QCOMPARE(texts[3], QStringLiteral("As of this writing, there's a \"Far\" attractive force and a \"Near\" repulsive "
                                      "force. (1/r^4 and 1/r^6, respectively)."));
    // Pointing at the credit line tells the version and the licence.
    const QString tip = box.findChild<QLabel*>(QStringLiteral("IDC_CREDIT_LINE"))->toolTip();
    QVERIFY2(tip.contains(QStringLiteral(DRIFTMOTE_VERSION_STRING)) && tip.contains(QStringLiteral("MIT License")),
             qPrintable(tip));

    QPushButton* rad = RadButton(&box);
    QCOMPARE(rad->text(), QStringLiteral("Rad"));
    QVERIFY(rad->isDefault());
    QVERIFY(!box.isVisible()); // the modal run shows it
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
    const Particle* before = m_dlg->m_particles.m_pCur;
    App().OnIdle(0);
    QVERIFY(m_dlg->m_particles.m_pCur != before); // a frame swaps the arrays

    bool gaveUp = false, ownedByDialog = false, pausedWhileOpen = false, paintSteps = false;
    WhenShown(find, [&](QWidget* w) {
        ownedByDialog = w->parentWidget() == m_dlg.get();
        const Particle* cur = m_dlg->m_particles.m_pCur;
        pausedWhileOpen = App().OnIdle(0) && App().OnIdle(0) && App().OnIdle(0) && m_dlg->m_particles.m_pCur == cur;
        // A paint request from the window system still makes a frame.
        SendPaint(m_dlg.get());
        paintSteps = m_dlg->m_particles.m_pCur != cur;
        close(w);
    }, &gaveUp);
    open(m_dlg.get());

    QVERIFY(!gaveUp);
    QVERIFY(ownedByDialog);
    QVERIFY(pausedWhileOpen);
    QVERIFY(paintSteps);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!QApplication::activePopupWidget());
    before = m_dlg->m_particles.m_pCur;
    App().OnIdle(0);
    QVERIFY(m_dlg->m_particles.m_pCur != before); // frames resume
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
    const Particle* resting = dlg->m_particles.m_pCur;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QVERIFY(!App().m_idleTimer.isActive());
    QVERIFY(dlg->m_particles.m_pCur == resting);

    dlg->showNormal();
    QTRY_VERIFY(App().m_idleTimer.isActive());
    QTRY_VERIFY(dlg->m_particles.m_pCur != resting);
    QCOMPARE(App().ExitInstance(0), 0);
}

void TestSwarmApp::rightClickAndAltSpaceOpenTheWindowMenu()
{
    // A right click over the canvas, which lets the pointer through to the dialog,
    // and Alt+Space open the same menu.
    const std::function<void()> openers[] = {
        [&] { QTest::mouseClick(m_dlg->windowHandle(), Qt::RightButton, {}, DialogPointOfPixel(*m_dlg, 50, 60)); },
        [&] { QTest::keyClick(m_dlg.get(), Qt::Key_Space, Qt::AltModifier); },
    };
    for (const std::function<void()>& open : openers) {
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        bool gaveUp = false, aboutOpened = false;
        QStringList texts;
        QList<uint> ids;
        QList<bool> enabled, separators;
        WhenShown(OpenMenu, [&](QWidget* w) {
            for (QAction* action : static_cast<QMenu*>(w)->actions()) {
                texts << action->text();
                ids << action->data().toUInt();
                enabled << action->isEnabled();
                separators << action->isSeparator();
            }
            // A is the About entry's access key.
            QTest::keyClick(w, Qt::Key_A);
        }, &gaveUp);
        WhenShown(OpenAboutBox, [&](QWidget* box) {
            aboutOpened = true;
            QTest::mouseClick(RadButton(box), Qt::LeftButton);
        }, &gaveUp);
        open();
        QVERIFY(!gaveUp);
        const QStringList expected = {"&Restore", "Mi&nimize", "Ma&ximize", "&Close", "&Pause", "Step One &Frame",
                                      "Save P&icture...", "Record &Video...", "Save &Snapshot...",
                                      "&Open Snapshot...", "",
                                      "&About Driftmote..."};
        QCOMPARE(texts, expected);
        QCOMPARE(ids, (QList<uint>{SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, IDM_PAUSE, IDM_STEP_FRAME,
                                   IDM_SAVE_PICTURE, IDM_RECORD_VIDEO, IDM_SAVE_SNAPSHOT, IDM_OPEN_SNAPSHOT, 0,
                                   IDM_ABOUTBOX}));
        QCOMPARE(ids.last(), 16u);
        QCOMPARE(separators.count(true), 1);
        QVERIFY(separators[10]);
        // A window in its normal state cannot be restored; one running cannot step;
        // a build without FFmpeg cannot record.
        QCOMPARE(enabled, (QList<bool>{false, true, true, true, true, false, true, CSwarmDlg::CanRecordVideo(), true,
                                       true, true, true}));
        // Every access key leads to one entry only.
        QStringList keys;
        for (const QString& text : texts)
            if (const qsizetype amp = text.indexOf(QLatin1Char('&')); amp >= 0)
                keys << text.mid(amp + 1, 1).toUpper();
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        QVERIFY(aboutOpened);
        QVERIFY(!QApplication::activeModalWidget());
    }
}

void TestSwarmApp::pauseRestsTheFrameLoopAndShortcutsWorkWithTheMenuClosed()
{
    cleanup(); // the application makes its own dialog and runs its own frame loop
    App().InitInstance();
    CSwarmDlg* dlg = App().m_pMainDlg;
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    std::vector<FileDialogRequest> asked;
    dlg->m_runFileDialog = [&asked](const FileDialogRequest& request) {
        asked.push_back(request);
        return QString();
    };
    // The keys go to the count box, which has the focus, as a user's would.
    QWidget* focus = QApplication::focusWidget();
    QCOMPARE(focus, dlg->m_editNum);
    const QString count = dlg->m_editNum->text();
    const auto turn = [] {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    };

    QTest::keyClick(focus, Qt::Key_Pause);
    QVERIFY(dlg->m_bPaused);
    QTRY_VERIFY(!App().m_idleTimer.isActive());
    const Particle* resting = dlg->m_particles.m_pCur;
    turn();
    QVERIFY(dlg->m_particles.m_pCur == resting);

    // One frame for each Ctrl+. while paused; the loop goes on resting.
    QTest::keyClick(focus, Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(dlg->m_particles.m_pCur != resting);
    turn();
    QVERIFY(!App().m_idleTimer.isActive());
    QVERIFY(dlg->m_particles.m_pCur != resting);

    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(asked.size(), 3u);
    QVERIFY(asked[0].save && asked[0].filter == QString::fromUtf8(kPictureFilter));
    QVERIFY(asked[1].save && asked[1].filter == QString::fromUtf8(kSnapshotFilter));
    QVERIFY(!asked[2].save && asked[2].filter == QString::fromUtf8(kSnapshotFilter));
    QCOMPARE(dlg->m_editNum->text(), count);

    // Resumed, the loop turns again; running, Ctrl+. is not a frame of its own.
    QTest::keyClick(focus, Qt::Key_Pause);
    QVERIFY(!dlg->m_bPaused);
    QTRY_VERIFY(App().m_idleTimer.isActive());
    QTRY_VERIFY(dlg->m_particles.m_pCur != resting);
    App().m_idleTimer.stop();
    const Particle* running = dlg->m_particles.m_pCur;
    QTest::keyClick(focus, Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(dlg->m_particles.m_pCur == running);
    QCOMPARE(dlg->m_editNum->text(), count);
    QCOMPARE(App().ExitInstance(0), 0);
}

void TestSwarmApp::windowCommandsPassOnAndMaskedAboutOpensTheBox()
{
    m_dlg->OnSysCommand(SC_MAXIMIZE | 2, 0);
    QTRY_VERIFY(m_dlg->isMaximized());
    m_dlg->OnSysCommand(SC_RESTORE, 0);
    QTRY_VERIFY(!m_dlg->isMaximized());
    m_dlg->OnSysCommand(SC_MINIMIZE, 0);
    QTRY_VERIFY(m_dlg->isMinimized());
    m_dlg->OnSysCommand(SC_RESTORE, 0);
    QTRY_VERIFY(!m_dlg->isMinimized());

    // Commands the dialog does not know change nothing and open nothing.
    m_dlg->OnSysCommand(0x0020, 0);
    QVERIFY(m_dlg->isVisible());
    QVERIFY(!QApplication::activeModalWidget());

    bool gaveUp = false, opened = false;
    WhenShown(OpenAboutBox, [&](QWidget* box) {
        opened = true;
        QTest::keyClick(box, Qt::Key_Return); // Enter presses the default button
    }, &gaveUp);
    m_dlg->OnSysCommand(IDM_ABOUTBOX | 0xF, 0);
    QVERIFY(!gaveUp);
    QVERIFY(opened);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestSwarmApp::escapeAndCloseBoxEndWithExitCodeZeroAfterDeletingTheDialog()
{
    cleanup(); // the application makes its own dialog here
    for (void (*leave)(CSwarmDlg*) : {+[](CSwarmDlg* d) { QTest::keyClick(d, Qt::Key_Escape); },
                                      +[](CSwarmDlg* d) { d->close(); }}) {
        // Runs the event loop until frames have moved the particles, then leaves.
        App().InitInstance();
        QPointer<CSwarmDlg> dialog = App().m_pMainDlg;
        const auto positions = [&] {
            std::vector<float> xy;
            for (int i = 0; i < dialog->m_particles.m_nCount; ++i)
                xy.insert(xy.end(), {dialog->m_particles.m_pCur[i].x, dialog->m_particles.m_pCur[i].y});
            return xy;
        };
        const std::vector<float> start = positions();
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, &poll, [&] {
            if (positions() == start)
                return;
            poll.stop();
            leave(dialog);
        });
        poll.start();
        QCOMPARE(App().ExitInstance(App().exec()), 0);
        QVERIFY(dialog.isNull());
        QVERIFY(App().m_pMainDlg == nullptr);
    }
}

// The frames are driven through the program's own application object.
int main(int argc, char** argv)
{
    CSwarmApp app(argc, argv);
    TestSwarmApp tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_swarmapp.moc"
