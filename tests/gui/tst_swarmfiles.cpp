// SPDX-License-Identifier: MIT
// The main dialog's pause, single frame and files: a run saved and opened again
// continues bit for bit, a paused window draws and follows the pointer without
// stepping, a bad file changes nothing, and the saved picture is the one shown.

#include "GuiTestHelpers.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "SwarmFileCommands.h"
#include "SwarmRenderer.h"

#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// The fields a step writes, bit for bit, then the generator's state.
std::vector<std::uint32_t> StateBits(const ParticleSystem& ps)
{
    std::vector<std::uint32_t> bits;
    for (int i = 0; i < ps.m_nCount; ++i)
        for (float value : {ps.m_pCur[i].x, ps.m_pCur[i].y, ps.m_pCur[i].vx, ps.m_pCur[i].vy})
            bits.push_back(std::bit_cast<std::uint32_t>(value));
    bits.push_back(PortableRandState());
    return bits;
}

QStringList Texts(CSwarmDlg& dlg)
{
    QStringList texts;
    for (int id : {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION})
        texts << qobject_cast<QLineEdit*>(GetDlgItem(&dlg, id))->text();
    return texts;
}

// A copy of the system stepped once.
std::vector<std::uint32_t> BitsAfterOneStep(const ParticleSystem& ps)
{
    ParticleSystem copy;
    copy.SetCount(ps.m_nCount);
    std::copy(ps.m_pCur, ps.m_pCur + ps.m_nCount, copy.m_pCur);
    copy.m_fAttraction = ps.m_fAttraction;
    copy.m_fRepulsion = ps.m_fRepulsion;
    copy.m_fFriction = ps.m_fFriction;
    copy.Step();
    return StateBits(copy);
}

QImage Rendered(const CSwarmDlg& dlg, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    RenderSwarm(image, dlg.m_particles.m_pCur, dlg.m_particles.m_nCount, dlg.m_nHover, dlg.m_nDrag, dlg.m_nDotSize);
    return image;
}

} // namespace

class TestSwarmFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pausedFramesDrawAndFollowThePointerWithoutStepping();
    void stepOneFrameIsOneWholeFrameOnlyWhilePaused();
    void savedRunContinuesBitForBitAfterOpening_data();
    void savedRunContinuesBitForBitAfterOpening();
    void badFilesShowAMessageAndChangeNothing_data();
    void badFilesShowAMessageAndChangeNothing();
    void savedPictureIsTheCanvasPicture();
    void savedPictureIsTheToolsPictureAtTheScreensRatio();
    void droppedSnapshotOpens_data();
    void droppedSnapshotOpens();

private:
    // A dialog whose message boxes and file dialogs are answered by the test.
    std::unique_ptr<CSwarmDlg> NewDialog()
    {
        auto dlg = std::make_unique<CSwarmDlg>();
        dlg->m_runMessageBox = [this](QMessageBox& box) {
            m_messages << box.text();
            return static_cast<int>(QMessageBox::Ok);
        };
        dlg->m_runFileDialog = [this](const FileDialogRequest& request) {
            m_requests.push_back(request);
            return m_answer;
        };
        dlg->m_sleep = [](std::chrono::milliseconds) {};
        dlg->Create();
        return dlg;
    }
    void Frames(CSwarmDlg& dlg, int n)
    {
        for (int i = 0; i < n; ++i)
            SendPaint(&dlg);
    }

    std::unique_ptr<CSwarmDlg> m_dlg;
    QStringList m_messages;
    std::vector<FileDialogRequest> m_requests;
    QString m_answer;
    QTemporaryDir m_dir;
};

void TestSwarmFiles::init()
{
    PortableRandRestart();
    m_messages.clear();
    m_requests.clear();
    m_answer.clear();
    m_dlg = NewDialog();
    QVERIFY(ShowOnScreen(*m_dlg));
    SetCanvasClientSize(*m_dlg, 400, 300);
}

void TestSwarmFiles::cleanup()
{
    m_dlg.reset();
}

void TestSwarmFiles::pausedFramesDrawAndFollowThePointerWithoutStepping()
{
    // Two moving particles far apart, no forces: only a step or the pointer moves them.
    PlaceParticles(*m_dlg, {{5.0f, 5.0f}, {2.0f, 2.0f}});
    m_dlg->m_particles.m_pCur[0].vx = 0.25f;
    m_dlg->m_particles.m_pCur[1].vy = 0.25f;
    m_dlg->OnSysCommand(IDM_PAUSE, 0);
    QVERIFY(m_dlg->m_bPaused);
    const std::vector<std::uint32_t> still = StateBits(m_dlg->m_particles);
    Frames(*m_dlg, 3);
    QCOMPARE(StateBits(m_dlg->m_particles), still);
    QCOMPARE(m_dlg->m_backBuffer, Rendered(*m_dlg, QSize(400, 300)));

    // The pointer over particle 0 highlights it, and the window draws that by itself.
    const QPoint over = DialogPointOfPixel(*m_dlg, 198, 148); // world (5, 5) within the pick radius
    QTest::mouseMove(m_dlg->windowHandle(), over);
    QCOMPARE(m_dlg->m_nHover, 0);
    QTRY_COMPARE(m_dlg->m_backBuffer, Rendered(*m_dlg, QSize(400, 300)));
    QCOMPARE(StateBits(m_dlg->m_particles), still);

    // Held, it follows the pointer; the other particle stays where it was.
    QTest::mousePress(m_dlg->windowHandle(), Qt::LeftButton, {}, over);
    QCOMPARE(m_dlg->m_nDrag, 0);
    QTest::mouseMove(m_dlg->windowHandle(), over + QPoint(79, 0)); // 2 world units to the right
    QCoreApplication::processEvents();
    QTRY_VERIFY(std::abs(m_dlg->m_particles.m_pCur[0].x - 7.0f) < 0.05f);
    QCOMPARE(m_dlg->m_particles.m_pCur[1].y, 2.0f);
    QTest::mouseRelease(m_dlg->windowHandle(), Qt::LeftButton, {}, over + QPoint(79, 0));
    QCOMPARE(m_dlg->m_nDrag, -1);
    const float heldX = m_dlg->m_particles.m_pCur[0].x;
    Frames(*m_dlg, 2);
    QCOMPARE(m_dlg->m_particles.m_pCur[0].x, heldX);

    // Resumed, the next frame steps: the released particle flies on, the other moves again.
    m_dlg->OnSysCommand(IDM_PAUSE, 0);
    QVERIFY(!m_dlg->m_bPaused);
    Frames(*m_dlg, 1);
    QVERIFY(m_dlg->m_particles.m_pCur[0].x > heldX);
    QVERIFY(m_dlg->m_particles.m_pCur[1].y > 2.0f);
}

void TestSwarmFiles::stepOneFrameIsOneWholeFrameOnlyWhilePaused()
{
    Frames(*m_dlg, 5);
    // Running: nothing to step by hand.
    std::vector<std::uint32_t> before = StateBits(m_dlg->m_particles);
    m_dlg->OnSysCommand(IDM_STEP_FRAME, 0);
    QCOMPARE(StateBits(m_dlg->m_particles), before);

    m_dlg->OnPause();
    for (int i = 0; i < 3; ++i) {
        const std::vector<std::uint32_t> expected = BitsAfterOneStep(m_dlg->m_particles);
        m_dlg->OnSysCommand(IDM_STEP_FRAME, 0);
        QCOMPARE(StateBits(m_dlg->m_particles), expected);
        // And the picture shows the stepped state.
        QCOMPARE(m_dlg->m_backBuffer, Rendered(*m_dlg, QSize(400, 300)));
        QVERIFY(m_dlg->m_bPaused);
    }
}

void TestSwarmFiles::savedRunContinuesBitForBitAfterOpening_data()
{
    // What happens to the saved state before the save, and to both runs after it.
    QTest::addColumn<bool>("nanVelocities");
    QTest::addColumn<std::function<void(CSwarmDlg&)>>("after");
    QTest::addColumn<bool>("openWhilePaused");
    const auto frames = [](CSwarmDlg& d) {
        for (int i = 0; i < 40; ++i)
            SendPaint(&d);
    };
    QTest::newRow("frames only") << false << std::function<void(CSwarmDlg&)>(frames) << false;
    QTest::newRow("next preset, then frames")
        << false << std::function<void(CSwarmDlg&)>([=](CSwarmDlg& d) {
               d.OnPresetNext();
               frames(d);
           })
        << false;
    QTest::newRow("a new count rescatters")
        << false << std::function<void(CSwarmDlg&)>([=](CSwarmDlg& d) {
               d.m_editNum->setText(QStringLiteral("90"));
               frames(d);
           })
        << true;
    QTest::newRow("NaN velocities, previous preset")
        << true << std::function<void(CSwarmDlg&)>([=](CSwarmDlg& d) {
               frames(d);
               d.OnPresetPrev();
               frames(d);
           })
        << false;
}

void TestSwarmFiles::savedRunContinuesBitForBitAfterOpening()
{
    QFETCH(bool, nanVelocities);
    QFETCH(std::function<void(CSwarmDlg&)>, after);
    QFETCH(bool, openWhilePaused);
    m_dlg->OnPresetNext();
    qobject_cast<QLineEdit*>(GetDlgItem(m_dlg.get(), IDC_FRICTION))->setText(QStringLiteral(" .25xyz"));
    Frames(*m_dlg, 30);
    if (nanVelocities) {
        m_dlg->m_particles.m_pCur[2].vx = -std::numeric_limits<float>::quiet_NaN(); // as arithmetic makes it
        m_dlg->m_particles.m_pCur[7].vy = std::numeric_limits<float>::quiet_NaN();
    }
    m_answer = m_dir.filePath(QStringLiteral("run.driftmote"));
    m_dlg->OnSysCommand(IDM_SAVE_SNAPSHOT, 0);
    QCOMPARE(m_requests.size(), 1u);
    QVERIFY(m_requests[0].save);
    QCOMPARE(m_requests[0].filter, QString::fromUtf8(kSnapshotFilter));
    const QStringList savedTexts = Texts(*m_dlg);
    const int savedPreset = m_dlg->m_nPreset;
    after(*m_dlg);
    const std::vector<std::uint32_t> expected = StateBits(m_dlg->m_particles);
    const QStringList expectedTexts = Texts(*m_dlg);
    const int expectedPreset = m_dlg->m_nPreset;
    m_dlg.reset();

    // Another window elsewhere in its run, with the generator moved on, opens the file.
    auto other = NewDialog();
    other->OnPresetPrev();
    other->m_editNum->setText(QStringLiteral("5"));
    Frames(*other, 7);
    other->m_nHover = 1;
    other->m_nDrag = 2;
    if (openWhilePaused)
        other->OnPause();
    other->m_editNum->selectAll(); // as at start: the first keystroke replaces the count
    m_requests.clear();
    other->OnSysCommand(IDM_OPEN_SNAPSHOT, 0);
    QCOMPARE(m_requests.size(), 1u);
    QVERIFY(!m_requests[0].save);
    QCOMPARE(m_requests[0].filter, QString::fromUtf8(kSnapshotFilter));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
    QCOMPARE(Texts(*other), savedTexts);
    QCOMPARE(other->m_nPreset, savedPreset);
    QCOMPARE(other->m_particles.m_fFriction, 0.25f);
    QCOMPARE(other->m_nHover, -1);
    QCOMPARE(other->m_nDrag, -1);
    QCOMPARE(other->m_bPaused, openWhilePaused);
    QCOMPARE(other->m_editNum->selectedText(), savedTexts[0]);
    if (openWhilePaused)
        other->OnPause();
    after(*other);
    QCOMPARE(StateBits(other->m_particles), expected);
    QCOMPARE(Texts(*other), expectedTexts);
    QCOMPARE(other->m_nPreset, expectedPreset);
}

void TestSwarmFiles::badFilesShowAMessageAndChangeNothing_data()
{
    // The reader's own table covers every way a file can be wrong; here the window's
    // part: the message names the file and the state stays.
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("No such file");
    QTest::newRow("count and particles disagree")
        << QByteArray(R"({"format":"driftmote-snapshot","version":1,)"
                      R"("texts":{"num":"2","attraction":"0","repulsion":"0","friction":"0"},)"
                      R"("preset":0,"random_state":1,"count":2,"particles":[[1.0,1.0,0.0,0.0,0.0]]})")
        << QStringLiteral("count");
}

void TestSwarmFiles::badFilesShowAMessageAndChangeNothing()
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
    Frames(*m_dlg, 3);
    m_dlg->m_nHover = 4;
    const std::vector<std::uint32_t> before = StateBits(m_dlg->m_particles);
    const QStringList texts = Texts(*m_dlg);
    const float friction = m_dlg->m_particles.m_fFriction;

    QVERIFY(!m_dlg->OpenSnapshot(path));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].startsWith(path + QStringLiteral(": ")), qPrintable(m_messages[0]));
    QVERIFY2(m_messages[0].contains(reason, Qt::CaseInsensitive), qPrintable(m_messages[0]));
    QCOMPARE(StateBits(m_dlg->m_particles), before);
    QCOMPARE(Texts(*m_dlg), texts);
    QCOMPARE(m_dlg->m_particles.m_fFriction, friction);
    QCOMPARE(m_dlg->m_nPreset, 0);
    QCOMPARE(m_dlg->m_nHover, 4);

    // A save where no file can go says so, and leaves nothing behind.
    m_messages.clear();
    m_answer = m_dir.filePath(QStringLiteral("no such folder/run.driftmote"));
    m_dlg->OnSaveSnapshot();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].startsWith(m_answer + QStringLiteral(": ")), qPrintable(m_messages[0]));
    QVERIFY(!QFile::exists(m_answer));
    QCOMPARE(StateBits(m_dlg->m_particles), before);
}

void TestSwarmFiles::savedPictureIsTheCanvasPicture()
{
    Frames(*m_dlg, 4);
    m_dlg->m_nHover = 3;
    Frames(*m_dlg, 1);
    QCoreApplication::processEvents();
    const QImage shown = m_dlg->m_canvas->grab(m_dlg->m_canvas->contentsRect()).toImage();
    m_answer = m_dir.filePath(QStringLiteral("picture.png"));
    m_dlg->OnSysCommand(IDM_SAVE_PICTURE, 0);
    QCOMPARE(m_requests.size(), 1u);
    QCOMPARE(m_requests[0].filter, QString::fromUtf8(kPictureFilter));
    QVERIFY(m_messages.isEmpty());
    QImage saved(m_answer, "PNG");
    QVERIFY(!saved.isNull());
    saved = saved.convertToFormat(QImage::Format_RGB32);
    saved.setDevicePixelRatio(m_dlg->m_backBuffer.devicePixelRatio()); // a PNG keeps only the pixels
    QCOMPARE(saved, m_dlg->m_backBuffer);
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
    Frames(*m_dlg, 6);
    const QString snapshot = m_dir.filePath(QStringLiteral("state.driftmote"));
    QString error;
    QVERIFY2(SaveSnapshotTo(m_dlg->CaptureSnapshot(), snapshot, error), qPrintable(error));
    m_answer = m_dir.filePath(QStringLiteral("window.png"));
    m_dlg->OnSavePicture();
    QVERIFY(m_messages.isEmpty());

    const QSize client = m_dlg->m_canvas->ClientSize();
    const double ratio = m_dlg->m_canvas->devicePixelRatioF();
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
    for (int i = 0; i < 3; ++i) {
        Snapshot s = m_dlg->CaptureSnapshot();
        s.particles.resize(static_cast<std::size_t>(i + 1), Particle{5.0f, 5.0f, 0.0f, 0.0f, 0.0f});
        QString error;
        QVERIFY(SaveSnapshotTo(s, m_dir.filePath(QString::fromUtf8(names[i])), error));
    }
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
    QCOMPARE(m_dlg->m_particles.m_nCount, expectedCount);
    QVERIFY(m_messages.isEmpty());
}

QTEST_MAIN(TestSwarmFiles)

#include "tst_swarmfiles.moc"
