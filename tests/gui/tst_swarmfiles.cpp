// SPDX-License-Identifier: MIT
// The main dialog's pause, single frame and files: the commands reach the session
// and the picture shows it, a snapshot saved is the session's state and one opened
// becomes it, a bad file is reported by name, and the saved picture is the one shown.

#include "GuiTestHelpers.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "SwarmFileCommands.h"
#include "SwarmRenderer.h"

#include <QDropEvent>
#include <QFileDialog>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <sstream>
#include <vector>

namespace {

// The session's particles drawn as the window draws them.
QImage Rendered(const SwarmSession& session, QSize size)
{
    PixelImage pixels(size.width(), size.height());
    const ParticleSystem& ps = session.Particles();
    RenderSwarm(pixels.View(), ps.m_pCur, ps.m_nCount, session.Hover(), session.Drag(), kDotSize);
    return ImageOfPixels(pixels.View()).copy();
}

// Distinct texts for the boxes, in the session's order.
const QStringList kTexts = {QStringLiteral("40"), QStringLiteral(".00011"), QStringLiteral(".00004"),
                            QStringLiteral(".05")};

} // namespace

class TestSwarmFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pauseAndStepOneFrameReachTheSessionAndThePicture();
    void snapshotCommandsSaveAndOpenTheSessionsState();
    void badFilesAreNamedOnceAndChangeNothing_data();
    void badFilesAreNamedOnceAndChangeNothing();
    void savedPictureIsTheCanvasPicture();
    void savedPictureIsTheToolsPictureAtTheScreensRatio();
    void droppedSnapshotOpens_data();
    void droppedSnapshotOpens();
    void fileDialogsStartAtTheLastFileOfTheirKind();

private:
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            SendPaint(m_dlg.get());
    }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(GetDlgItem(m_dlg.get(), id)); }
    const SwarmSession& Session() const { return m_dlg->Session(); }

    std::unique_ptr<CSwarmDlg> m_dlg;
    QStringList m_messages;
    std::vector<FileDialogRequest> m_requests;
    QString m_answer;
    QTemporaryDir m_dir;
};

void TestSwarmFiles::init()
{
    m_messages.clear();
    m_requests.clear();
    m_answer.clear();
    m_dlg = std::make_unique<CSwarmDlg>();
    m_dlg->SetMessageBoxRunner([this](QMessageBox& box) {
        m_messages << box.text();
        return static_cast<int>(QMessageBox::Ok);
    });
    m_dlg->SetFileDialogRunner([this](const FileDialogRequest& request) {
        m_requests.push_back(request);
        return m_answer;
    });
    m_dlg->SetSleep([](std::chrono::milliseconds) {});
    m_dlg->Create();
    QVERIFY(ShowOnScreen(*m_dlg));
    SetCanvasClientSize(*m_dlg, 400, 300);
}

void TestSwarmFiles::cleanup()
{
    m_dlg.reset();
}

void TestSwarmFiles::pauseAndStepOneFrameReachTheSessionAndThePicture()
{
    Frames(3);
    m_dlg->OnSysCommand(IDM_PAUSE, 0);
    QVERIFY(Session().Paused());
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Driftmote (paused)"));
    // Paused, the pointer over a particle highlights it, and the window draws that by itself.
    const ParticleSystem& ps = Session().Particles();
    QTest::mouseMove(m_dlg->windowHandle(), DialogPointOfWorld(*m_dlg, ps.m_pCur[0].x, ps.m_pCur[0].y));
    QVERIFY(Session().Hover() >= 0);
    QTRY_COMPARE(CanvasPicture(*m_dlg), Rendered(Session(), QSize(400, 300)));

    // Step One Frame: one step, shown.
    const std::vector<float> expected = SteppedOnce(ps);
    m_dlg->OnSysCommand(IDM_STEP_FRAME, 0);
    QVERIFY(SameBits(Positions(ps), expected));
    QCOMPARE(CanvasPicture(*m_dlg), Rendered(Session(), QSize(400, 300)));
    m_dlg->OnSysCommand(IDM_PAUSE, 0);
    QVERIFY(!Session().Paused());
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Driftmote"));
}

void TestSwarmFiles::snapshotCommandsSaveAndOpenTheSessionsState()
{
    // Typed into the boxes by their labels, then some frames, then the save.
    for (int i = 0; i < kParamBoxCount; ++i) {
        Edit(kBoxes[i])->setFocus();
        Edit(kBoxes[i])->selectAll();
        QTest::keyClicks(Edit(kBoxes[i]), kTexts[i]);
    }
    Frames(20);
    m_answer = m_dir.filePath(QStringLiteral("window.driftmote"));
    m_dlg->OnSysCommand(IDM_SAVE_SNAPSHOT, 0);
    QCOMPARE(m_requests.size(), 1u);
    QVERIFY(m_requests[0].save);
    QCOMPARE(m_requests[0].filter, QString::fromUtf8(kSnapshotFilter));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    QFile saved(m_answer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toStdString(), WriteSnapshot(Session().CaptureSnapshot()));

    // Another state, saved by a session of its own, opens whole and shows in the boxes.
    SwarmSession other;
    other.Start();
    other.SelectPreset(1);
    other.TypeText(ParamBox::Friction, ".05");
    other.Frame();
    m_answer = m_dir.filePath(QStringLiteral("other.driftmote"));
    std::string error;
    QVERIFY2(other.SaveSnapshotFile(m_answer.toStdString(), error) == SessionResult::Done, error.c_str());
    Frames(5);
    m_dlg->OnSysCommand(IDM_OPEN_SNAPSHOT, 0);
    QCOMPARE(m_requests.size(), 2u);
    QVERIFY(!m_requests[1].save);
    QCOMPARE(m_requests[1].filter, QString::fromUtf8(kSnapshotFilter));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    QCOMPARE(WriteSnapshot(Session().CaptureSnapshot()), WriteSnapshot(other.CaptureSnapshot()));
    for (int i = 0; i < kParamBoxCount; ++i)
        QCOMPARE(Edit(kBoxes[i])->text(), QString::fromStdString(other.Text(static_cast<ParamBox>(i))));
}

void TestSwarmFiles::badFilesAreNamedOnceAndChangeNothing_data()
{
    // The reader's own table covers every way a file can be wrong; here the window's
    // part: the message names the file once and the state stays.
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("No such file or directory");
    QTest::newRow("count and particles disagree")
        << QByteArray(R"({"format":"driftmote-snapshot","version":1,)"
                      R"("texts":{"num":"2","attraction":"0","repulsion":"0","friction":"0"},)"
                      R"("preset":0,"random_state":1,"count":2,"particles":[[1.0,1.0,0.0,0.0,0.0]]})")
        << QStringLiteral("the count is 2 but there are 1 particles");
}

void TestSwarmFiles::badFilesAreNamedOnceAndChangeNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(QStringLiteral("bad file.driftmote"));
    QFile::remove(path);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    Frames(3);
    const std::vector<float> before = Positions(Session().Particles());
    QStringList texts;
    for (int id : kBoxes)
        texts << Edit(id)->text();

    QVERIFY(!m_dlg->OpenSnapshot(path));
    QCOMPARE(m_messages, QStringList{path + QStringLiteral(": ") + reason});
    QVERIFY(SameBits(Positions(Session().Particles()), before));
    for (int i = 0; i < kParamBoxCount; ++i)
        QCOMPARE(Edit(kBoxes[i])->text(), texts[i]);

    // A save where no file can go says so, and leaves nothing behind.
    m_messages.clear();
    m_answer = m_dir.filePath(QStringLiteral("no such folder/run.driftmote"));
    m_dlg->OnSaveSnapshot();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].startsWith(m_answer + QStringLiteral(": ")) && m_messages[0].count(m_answer) == 1,
             qPrintable(m_messages[0]));
    QVERIFY(!QFile::exists(m_answer));
}

void TestSwarmFiles::savedPictureIsTheCanvasPicture()
{
    Frames(4);
    QCoreApplication::processEvents();
    const QImage shown = CanvasPicture(*m_dlg);
    m_answer = m_dir.filePath(QStringLiteral("picture.png"));
    m_dlg->OnSysCommand(IDM_SAVE_PICTURE, 0);
    QCOMPARE(m_requests.size(), 1u);
    QCOMPARE(m_requests[0].filter, QString::fromUtf8(kPictureFilter));
    QVERIFY(m_messages.isEmpty());
    QImage saved(m_answer, "PNG");
    QVERIFY(!saved.isNull());
    saved = saved.convertToFormat(QImage::Format_RGB32);
    saved.setDevicePixelRatio(shown.devicePixelRatio()); // a PNG keeps only the pixels
    QCOMPARE(saved, shown.convertToFormat(QImage::Format_RGB32));

    // A cancelled dialog writes nothing.
    QFile::remove(m_answer);
    const QString kept = m_answer;
    m_answer.clear();
    m_dlg->OnSavePicture();
    QVERIFY(!QFile::exists(kept));
    QVERIFY(m_messages.isEmpty());
}

void TestSwarmFiles::savedPictureIsTheToolsPictureAtTheScreensRatio()
{
    // Also run with QT_SCALE_FACTOR 1.5 and 2: the same state on the same canvas
    // is the same picture from the window and from driftmote-sim --scale.
    Frames(6);
    const QString snapshot = m_dir.filePath(QStringLiteral("state.driftmote"));
    std::string error;
    QVERIFY2(m_dlg->Session().SaveSnapshotFile(snapshot.toStdString(), error) == SessionResult::Done, error.c_str());
    m_answer = m_dir.filePath(QStringLiteral("window.png"));
    m_dlg->OnSavePicture();
    QVERIFY(m_messages.isEmpty());

    const QSize client = Canvas(*m_dlg)->ClientSize();
    const double ratio = Canvas(*m_dlg)->devicePixelRatioF();
    const QString tool = m_dir.filePath(QStringLiteral("tool.png"));
    std::ostringstream out, err;
    PortableRandRestart();
    QCOMPARE(RunSimCli({"--load", snapshot.toStdString(), "--frames", "0", "--print", "none", "--picture",
                        tool.toStdString(), "--size",
                        std::to_string(client.width()) + "x" + std::to_string(client.height()), "--scale",
                        QString::number(ratio, 'g', 17).toStdString()},
                       out, err),
             0);
    const QImage window(m_answer, "PNG");
    QCOMPARE(window.size(), QSize(std::lround(client.width() * ratio), std::lround(client.height() * ratio)));
    QVERIFY(window == QImage(tool, "PNG"));
}

void TestSwarmFiles::droppedSnapshotOpens_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("opened"); // file name under the test folder, empty: none
    const auto local = [this](const char* name) { return QUrl::fromLocalFile(m_dir.filePath(QString::fromUtf8(name))); };
    QTest::newRow("one snapshot") << QList<QUrl>{local("a.driftmote")} << QStringLiteral("a.driftmote");
    QTest::newRow("the first snapshot among other files")
        << QList<QUrl>{local("notes.txt"), local("B.DRIFTMOTE"), local("a.driftmote")} << QStringLiteral("B.DRIFTMOTE");
    QTest::newRow("a name that only contains the suffix")
        << QList<QUrl>{local("a.driftmote.png")} << QString();
    QTest::newRow("not a local file") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.driftmote"))}
                                      << QString();
}

void TestSwarmFiles::droppedSnapshotOpens()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, opened);
    // Every file dropped is a snapshot of a different count: the count shows which opened.
    const char* names[] = {"a.driftmote", "B.DRIFTMOTE", "a.driftmote.png"};
    for (int i = 0; i < 3; ++i)
        QVERIFY(WriteParticlesSnapshot(m_dir.filePath(QString::fromUtf8(names[i])),
                                       std::vector<Particle>(i + 1, Particle{5.0f, 5.0f, 0.0f, 0.0f, 0.0f})));
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = DialogPointOfPixel(*m_dlg, 100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dlg.get(), &enter);
    QCOMPARE(enter.isAccepted(), !opened.isEmpty());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dlg.get(), &drop);
    QCoreApplication::processEvents();
    const int expectedCount = opened.isEmpty() ? 67 : (opened == QStringLiteral("a.driftmote") ? 1 : 2);
    QCOMPARE(Session().Particles().m_nCount, expectedCount);
    // The count's text, selected since the start, stays so: the first keystroke still replaces it.
    QCOMPARE(Edit(IDC_NUM)->selectedText(), QString::number(expectedCount));
    QVERIFY(m_messages.isEmpty());
}

void TestSwarmFiles::fileDialogsStartAtTheLastFileOfTheirKind()
{
    // The toolkit's own dialog, read and then answered from inside its loop:
    // `choose` picks a file, an empty one cancels.
    QString startedIn;
    QStringList startedWith;
    const auto run = [&](const char* suffix, const QString& choose) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            startedIn = dialog->directory().absolutePath();
            startedWith = dialog->selectedFiles();
            dialog->selectFile(choose);
            choose.isEmpty() ? dialog->reject() : static_cast<QDialog*>(dialog)->accept();
        });
        return RunFileDialog(m_dlg.get(), {true, QStringLiteral("Save"), QString(), QString::fromUtf8(suffix)});
    };
    const QString picture = m_dir.filePath(QStringLiteral("first.png"));
    QCOMPARE(run(kPictureSuffix, picture), picture);
    run(kPictureSuffix, QString());
    QCOMPARE(startedIn, m_dir.path());
    QCOMPARE(startedWith, QStringList{picture});
    // Another kind keeps its own place, at first the folder the program started in.
    run(kSnapshotSuffix, QString());
    QCOMPARE(startedIn, QDir::currentPath());
}

QTEST_MAIN(TestSwarmFiles)

#include "tst_swarmfiles.moc"
