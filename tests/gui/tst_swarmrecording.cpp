// SPDX-License-Identifier: MIT
// The window's video, read back through libavformat: a recording is the canvas at
// its size with nothing drawn into it, at most one frame per 60th of a second,
// and its stop says how many pictures it lacks; every way a recording stops leaves
// a complete file and says why when the user did not ask; a file that cannot be
// written is named and left behind nowhere.

#include "GuiTestHelpers.h"
#include "RandomUnit.h"
#include "SnapshotState.h"
#include "SwarmFileCommands.h"
#include "VideoDecode.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>
#include <functional>
#include <memory>
#include <thread>

#include <sys/resource.h>

class TestSwarmRecording : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recordingIsTheCanvasAtSixtyFramesASecond();
    void everyStopLeavesAPlayableFile_data();
    void everyStopLeavesAPlayableFile();
    void aFileThatCannotBeWrittenIsNamedAndRemoved_data();
    void aFileThatCannotBeWrittenIsNamedAndRemoved();

private:
    // Frames as the idle loop makes them, with the timers' events between them.
    void RunFor(int milliseconds)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            SendPaint(m_dlg.get());
            QCoreApplication::processEvents();
        }
    }
    QAction* RecordAction() const
    {
        for (QAction* action : m_dlg->actions())
            if (action->data().toUInt() == IDM_RECORD_VIDEO)
                return action;
        return nullptr;
    }

    std::unique_ptr<CSwarmDlg> m_dlg;
    QStringList m_messages;
    QString m_answer;
    QTemporaryDir m_dir;
};

void TestSwarmRecording::init()
{
    PortableRandRestart();
    m_messages.clear();
    m_dlg = std::make_unique<CSwarmDlg>();
    m_dlg->SetMessageBoxRunner([this](QMessageBox& box) {
        m_messages << box.text();
        return static_cast<int>(QMessageBox::Ok);
    });
    m_dlg->SetFileDialogRunner([this](const FileDialogRequest& request) {
        return request.defaultSuffix == QStringLiteral("mp4") ? m_answer : QString();
    });
    m_dlg->SetSleep([](std::chrono::milliseconds) {});
    m_dlg->Create();
    QVERIFY(ShowOnScreen(*m_dlg));
    SetCanvasClientSize(*m_dlg, 201, 150);
    SendPaint(m_dlg.get());
}

void TestSwarmRecording::cleanup()
{
    m_dlg.reset();
}

void TestSwarmRecording::recordingIsTheCanvasAtSixtyFramesASecond()
{
    const QString title = m_dlg->windowTitle();
    m_answer = m_dir.filePath(QStringLiteral("short.mp4"));
    QElapsedTimer clock;
    clock.start();
    const int threads = m_dlg->Session().StepThreads();
    m_dlg->OnSysCommand(IDM_RECORD_VIDEO, 0);
    QCOMPARE(m_dlg->windowTitle(), title + QStringLiteral(" (recording)"));
    QVERIFY(RecordAction()->isChecked());
    QCOMPARE(m_dlg->Session().StepThreads(), 1); // a core is left to the encoder
    RunFor(150);
    // A computer too busy for a while: neither frames nor ticks come.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RunFor(150);
    // Paused, the last ticks hand over the picture on the canvas.
    m_dlg->OnPause();
    QTest::qWait(100);
    const QImage shown = CanvasPicture(*m_dlg);
    m_dlg->OnSysCommand(IDM_RECORD_VIDEO, 0);
    const double seconds = clock.elapsed() / 1000.0;
    QCOMPARE(m_dlg->windowTitle(), title + QStringLiteral(" (paused)"));
    QVERIFY(!RecordAction()->isChecked());
    QCOMPARE(m_dlg->Session().StepThreads(), threads);

    const DecodedVideo video = DecodeVideo(m_answer.toStdString());
    QCOMPARE(QString::fromStdString(video.error), QString());
    QCOMPARE(video.width, 202); // an odd width gets one more column
    QCOMPARE(video.height, 150);
    // One frame at most per 60th of a second of the recording, at its own time.
    QVERIFY2(video.seconds.size() >= 2 && video.seconds.size() <= std::ceil(seconds * 60) + 1,
             qPrintable(QString::number(video.seconds.size())));
    for (std::size_t i = 1; i < video.seconds.size(); ++i)
        QVERIFY(video.seconds[i] > video.seconds[i - 1]);
    QVERIFY(video.seconds.back() <= seconds + 1.0 / 60);
    // The stop says how many of the video's 60ths have no picture of their own.
    const long long pictures = std::llround(video.seconds.back() * 60) + 1;
    const long long missing = pictures - static_cast<long long>(video.seconds.size());
    QVERIFY(missing >= 15);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].contains(QStringLiteral("%1 of its %2 pictures were dropped").arg(missing).arg(pictures)),
             qPrintable(m_messages[0]));
    // The last picture is the paused canvas's, within the codec's loss.
    const DecodedVideo last = DecodeVideo(m_answer.toStdString(), {static_cast<int>(video.seconds.size()) - 1});
    QVERIFY(!last.pictures.empty());
    const double psnr = Psnr(last.pictures[0], video.width, PixelsOfImage(shown));
    QVERIFY2(psnr > 30.0, qPrintable(QString::number(psnr)));
}

void TestSwarmRecording::everyStopLeavesAPlayableFile_data()
{
    QTest::addColumn<std::function<void(CSwarmDlg*, const QString& snapshot)>>("stop");
    QTest::addColumn<QString>("why"); // in the message box; empty: no box
    QTest::newRow("entry chosen again") << std::function([](CSwarmDlg* d, const QString&) {
        d->OnSysCommand(IDM_RECORD_VIDEO, 0);
    }) << QString();
    QTest::newRow("Escape closes the window") << std::function([](CSwarmDlg* d, const QString&) {
        QTest::keyClick(d, Qt::Key_Escape);
    }) << QString();
    QTest::newRow("snapshot opened") << std::function([](CSwarmDlg* d, const QString& snapshot) {
        d->OpenSnapshot(snapshot);
    }) << QStringLiteral("a snapshot was opened");
    QTest::newRow("canvas resized") << std::function([](CSwarmDlg* d, const QString&) {
        SetCanvasClientSize(*d, 180, 150);
        SendPaint(d);
        QTest::qWait(50);
    }) << QStringLiteral("the canvas changed size");
}

void TestSwarmRecording::everyStopLeavesAPlayableFile()
{
    QFETCH(std::function<void(CSwarmDlg*, const QString&)>, stop);
    QFETCH(QString, why);
    const QString snapshot = m_dir.filePath(QStringLiteral("run.driftmote"));
    std::string error;
    QVERIFY(m_dlg->Session().SaveSnapshotFile(snapshot.toStdString(), error) == SessionResult::Done);
    const QString title = m_dlg->windowTitle();
    m_answer = m_dir.filePath(QStringLiteral("%1.mp4").arg(QTest::currentDataTag()));
    m_dlg->OnRecordVideo();
    RunFor(100);
    stop(m_dlg.get(), snapshot);
    QVERIFY(!m_dlg->IsRecording());
    QCOMPARE(m_dlg->windowTitle(), title);
    const DecodedVideo video = DecodeVideo(m_answer.toStdString());
    QCOMPARE(QString::fromStdString(video.error), QString());
    QVERIFY(!video.seconds.empty());
    QCOMPARE(video.width, 202);
    if (why.isEmpty()) {
        // The user's own stop says nothing, unless a busy computer left pictures out.
        QVERIFY(m_messages.size() <= 1);
        for (const QString& message : m_messages)
            QVERIFY2(message.contains(QStringLiteral("pictures were dropped")), qPrintable(message));
    } else {
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains(why) && m_messages[0].contains(m_answer), qPrintable(m_messages[0]));
    }
}

void TestSwarmRecording::aFileThatCannotBeWrittenIsNamedAndRemoved_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("diskFull"); // no file may grow beyond a few KiB
    QTest::newRow("no such folder") << QStringLiteral("no such folder/v.mp4") << false;
    QTest::newRow("full disk") << QStringLiteral("full/v.mp4") << true;
}

void TestSwarmRecording::aFileThatCannotBeWrittenIsNamedAndRemoved()
{
    QFETCH(QString, name);
    QFETCH(bool, diskFull);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("full")));
    const QString title = m_dlg->windowTitle();
    m_answer = m_dir.filePath(name);
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    if (diskFull) {
        // The gas of preset 4 fills the writer's buffer soon; then the write fails
        // instead of the signal ending the process.
        for (int i = 0; i < 4; ++i)
            m_dlg->OnPresetNext();
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    m_dlg->OnRecordVideo();
    for (int i = 0; i < 200 && m_dlg->IsRecording(); ++i)
        RunFor(50);
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!m_dlg->IsRecording());
    QCOMPARE(m_dlg->windowTitle(), title);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].startsWith(m_answer + QStringLiteral(": ")), qPrintable(m_messages[0]));
    QCOMPARE(QDir(m_dir.filePath(QStringLiteral("full"))).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(TestSwarmRecording)
#include "tst_swarmrecording.moc"
