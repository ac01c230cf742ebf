// SPDX-License-Identifier: MIT
// The main dialog on the offscreen platform: its controls, the edit handlers, the
// confirmation, presets, frames, drawing, resizing, and hover, grab, hold and fling
// through the pointer handlers and the toolkit's delivery of the pointer.

#include "CAboutDlg.h"
#include "GuiTestHelpers.h"
#include "RandomUnit.h"
#include "SwarmParams.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kGrey = 0xffc0c0c0;

// A record of what a message box showed and the answer it was given.
struct BoxLog {
    struct Shown {
        QString title, text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QWidget* parent;
    };
    std::vector<Shown> shown;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
};

std::vector<Particle> ParticlesOf(const ParticleSystem& ps)
{
    return std::vector<Particle>(ps.m_pCur, ps.m_pCur + ps.m_nCount);
}

// Bit for bit, leaving out the field that nothing writes.
bool SameBits(const std::vector<Particle>& a, const std::vector<Particle>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Particle& p, const Particle& q) { return std::memcmp(&p, &q, 4 * sizeof(float)) == 0; });
}

// The particles after one step of a copy of the system.
std::vector<Particle> SteppedOnce(const ParticleSystem& ps)
{
    ParticleSystem copy;
    copy.SetCount(ps.m_nCount);
    std::memcpy(copy.m_pCur, ps.m_pCur, ps.m_nCount * sizeof(Particle));
    copy.m_fAttraction = ps.m_fAttraction;
    copy.m_fRepulsion = ps.m_fRepulsion;
    copy.m_fFriction = ps.m_fFriction;
    copy.Step();
    return ParticlesOf(copy);
}

QByteArray Show(float value)
{
    return QByteArray::number(value, 'g', 9);
}

// Exact float comparison with both values in the message.
#define VERIFY_SAME_FLOAT(actual, expected) QVERIFY2((actual) == (expected), Show(actual) + " != " + Show(expected))

// Canvas pixel of world (x, y) under the pointer scale of a 400 by 300 canvas.
QPoint PixelOfWorld(float x, float y)
{
    return QPoint(static_cast<int>(std::lround(x * 39.5)), static_cast<int>(std::lround((10.0 - y) * 29.5)));
}

// The address space this process holds now, in bytes.
rlim_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    return rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
}

} // namespace

class TestSwarmDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startValues();
    void firstKeystrokeReplacesTheCount();
    void presetsWrapAndRescatterEvenWhenTextsAreUnchanged();
    void largeCountAsksFirstAlsoInARealBox();
    void badTextsLeaveRunningWindow_data();
    void badTextsLeaveRunningWindow();
    void unallocatableCountIsReported();
    void onePaintRequestIsOneStepAndNoneWhileMinimised_data();
    void onePaintRequestIsOneStepAndNoneWhileMinimised();
    void renderHighlightsTheHoveredAndDraggedParticles();
    void resizeRebuildsBufferAndMovesControls();
    void textsFitTheirControlsAndNoControlsOverlap();
    void enterClicksOnlyTheFocusedPushButton_data();
    void enterClicksOnlyTheFocusedPushButton();
    void pointerMapsThroughTheCanvasAndGrabsTheLowestIndexInRange();
    void hoverFollowsTheDragAndAMissedReleaseEndsIt();
    void heldParticleRestsWhileOthersMoveAndFliesOnAfterRelease();
    void releaseAnywhereEndsTheDrag();
    void countChangeMidDragDropsBothIndexes();

private:
    std::unique_ptr<CSwarmDlg> m_dlg;
    BoxLog m_boxes;
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(GetDlgItem(m_dlg.get(), id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(GetDlgItem(m_dlg.get(), id)); }
    // The pointer tests' start: on screen, with a canvas of 400 by 300.
    bool ShowForPointer()
    {
        const bool shown = ShowOnScreen(*m_dlg);
        SetCanvasClientSize(*m_dlg, 400, 300);
        return shown;
    }
    QWindow* Window() { return m_dlg->windowHandle(); }
    QPoint At(float x, float y) { return DialogPointOfPixel(*m_dlg, PixelOfWorld(x, y).x(), PixelOfWorld(x, y).y()); }
    void MoveTo(const QPoint& p) { m_dlg->OnMouseMove(Qt::NoButton, p); }
    void DragTo(const QPoint& p) { m_dlg->OnMouseMove(Qt::LeftButton, p); }
    void Press() { m_dlg->OnLButtonDown(Qt::LeftButton, QPoint()); }
    void Release() { m_dlg->OnLButtonUp(Qt::NoButton, QPoint()); }
};

void TestSwarmDlg::init()
{
    PortableRandRestart();
    m_boxes = BoxLog();
    m_dlg = std::make_unique<CSwarmDlg>();
    m_dlg->m_runMessageBox = [this](QMessageBox& box) {
        m_boxes.shown.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                                 box.parentWidget()});
        return static_cast<int>(box.icon() == QMessageBox::NoIcon ? m_boxes.answer : QMessageBox::Ok);
    };
    m_dlg->Create();
}

void TestSwarmDlg::cleanup()
{
    m_dlg.reset();
}

void TestSwarmDlg::startValues()
{
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("67"));
    QCOMPARE(Edit(IDC_ATTRACTION)->text(), QStringLiteral(".00009"));
    QCOMPARE(Edit(IDC_REPULSION)->text(), QStringLiteral(".00002"));
    QCOMPARE(Edit(IDC_FRICTION)->text(), QStringLiteral(".023"));
    QCOMPARE(m_dlg->m_particles.m_nCount, 67);
    // Stored as floats, not as the nearest doubles.
    QCOMPARE(m_dlg->m_particles.m_fAttraction, 0.00009f);
    QCOMPARE(m_dlg->m_particles.m_fRepulsion, 0.00002f);
    QCOMPARE(m_dlg->m_particles.m_fFriction, 0.023f);
    QVERIFY(m_dlg->m_btnPlayNice->isChecked());
    QCOMPARE(m_dlg->m_nPreset, 0);
    QCOMPARE(m_dlg->m_nHover, -1);
    QCOMPARE(m_dlg->m_nDrag, -1);
    QVERIFY(m_boxes.shown.empty());

    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Driftmote"));
    QVERIFY(m_dlg->windowFlags().testFlags(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    QVERIFY(m_dlg->minimumSize() != m_dlg->maximumSize()); // resizable
    QCOMPARE(Button(IDC_PLAY_NICE)->text(), QStringLiteral("Play\nNice"));
    QVERIFY(Button(IDC_PLAY_NICE)->isCheckable() && !Button(IDC_PRESET_NEXT)->isCheckable());
    // Tab order is template order: the toggle at the bottom follows the count.
    QWidget* w = m_dlg->m_editNum;
    for (int id : {IDC_NUM, IDC_PLAY_NICE, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION, IDC_CREDIT,
                   IDC_PRESET_PREV, IDC_PRESET_NEXT, IDC_NUM}) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        QCOMPARE(w, GetDlgItem(m_dlg.get(), id));
        w = w->nextInFocusChain();
    }

    // The first picture comes from a scatter of 67 that follows a scatter of 3.
    PortableRandRestart();
    ParticleSystem expected;
    StartLikeTheWindow(expected);
    QVERIFY(SameBits(ParticlesOf(m_dlg->m_particles), ParticlesOf(expected)));
}

void TestSwarmDlg::firstKeystrokeReplacesTheCount()
{
    // Typed into the window as a user types: the keys go to whatever has the focus.
    QVERIFY(ShowOnScreen(*m_dlg));
    QCOMPARE(QApplication::focusWidget(), m_dlg->m_editNum);
    QTest::keyClick(Window(), Qt::Key_5);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("5"));
    QCOMPARE(m_dlg->m_particles.m_nCount, 5);
    QTest::keyClick(Window(), Qt::Key_0);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("50"));
    QCOMPARE(m_dlg->m_particles.m_nCount, 50);
    QVERIFY(m_boxes.shown.empty());
}

void TestSwarmDlg::presetsWrapAndRescatterEvenWhenTextsAreUnchanged()
{
    Button(IDC_PRESET_PREV)->click();
    QCOMPARE(m_dlg->m_nPreset, 4);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("111"));
    QCOMPARE(m_dlg->m_particles.m_nCount, 111);
    Button(IDC_PRESET_NEXT)->click();
    QCOMPARE(m_dlg->m_nPreset, 0);
    QCOMPARE(m_dlg->m_particles.m_nCount, 67);
    Button(IDC_PRESET_NEXT)->click();
    QCOMPARE(m_dlg->m_nPreset, 1);
    QCOMPARE(m_dlg->m_particles.m_nCount, 128);
    QCOMPARE(m_dlg->m_particles.m_fAttraction, -0.04f);
    QCOMPARE(m_dlg->m_particles.m_fRepulsion, -0.01f);
    QCOMPARE(m_dlg->m_particles.m_fFriction, 0.3f);

    // Preset 4 forward wraps to 0; with preset 0's texts already in the boxes, every
    // handler still runs: the count rescatters and the coefficients come back.
    Button(IDC_PRESET_PREV)->click();
    for (int i = 0; i < 5; ++i)
        m_dlg->StepAndDrag();
    m_dlg->m_particles.m_fAttraction = 1.0f;
    m_dlg->m_particles.m_fRepulsion = 1.0f;
    m_dlg->m_particles.m_fFriction = 1.0f;
    const std::uint32_t randomBefore = PortableRandState();
    m_dlg->m_nPreset = 4;
    Button(IDC_PRESET_NEXT)->click();
    QCOMPARE(m_dlg->m_nPreset, 0);
    QVERIFY(PortableRandState() != randomBefore);
    for (int i = 0; i < m_dlg->m_particles.m_nCount; ++i) {
        QCOMPARE(m_dlg->m_particles.m_pCur[i].vx, 0.0f);
        QCOMPARE(m_dlg->m_particles.m_pCur[i].vy, 0.0f);
    }
    QCOMPARE(m_dlg->m_particles.m_fAttraction, 0.00009f);
    QCOMPARE(m_dlg->m_particles.m_fRepulsion, 0.00002f);
    QCOMPARE(m_dlg->m_particles.m_fFriction, 0.023f);
}

void TestSwarmDlg::largeCountAsksFirstAlsoInARealBox()
{
    m_dlg->m_editNum->setText(QStringLiteral("350"));
    QVERIFY(m_boxes.shown.empty());
    QCOMPARE(m_dlg->m_particles.m_nCount, 350);

    m_boxes.answer = QMessageBox::No;
    const std::uint32_t randomBefore = PortableRandState();
    m_dlg->m_editNum->setText(QStringLiteral("351"));
    QCOMPARE(m_boxes.shown.size(), size_t(1));
    const BoxLog::Shown& box = m_boxes.shown[0];
    QCOMPARE(box.title, QStringLiteral("Watch out"));
    QCOMPARE(box.text, QStringLiteral("Numbers larger than about 350 might REALLY slow things down. Sure?"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.parent, m_dlg.get());
    // No: the current count goes back into the box, which rescatters at that count.
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("350"));
    QCOMPARE(m_dlg->m_particles.m_nCount, 350);
    QVERIFY(PortableRandState() != randomBefore);

    // The box as the program runs it, answered No with its button.
    const auto logged = m_dlg->m_runMessageBox;
    m_dlg->m_runMessageBox = [](QMessageBox& box) { return box.exec(); };
    m_dlg->show();
    QMessageBox* seen = nullptr;
    QTimer::singleShot(0, this, [&seen] {
        seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (seen)
            seen->button(QMessageBox::No)->click();
    });
    m_dlg->m_editNum->setText(QStringLiteral("400"));
    QVERIFY(seen);
    QCOMPARE(m_dlg->m_particles.m_nCount, 350);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("350"));

    m_dlg->m_runMessageBox = logged;
    m_boxes.answer = QMessageBox::Yes;
    m_dlg->m_editNum->setText(QStringLiteral("351"));
    QCOMPARE(m_boxes.shown.size(), size_t(2));
    QCOMPARE(m_dlg->m_particles.m_nCount, 351);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("351"));

    // Declining a larger count puts back one already above 350, which is not asked
    // about again: a single No is enough.
    m_boxes.answer = QMessageBox::No;
    m_dlg->m_editNum->setText(QStringLiteral("3511"));
    QCOMPARE(m_boxes.shown.size(), size_t(3));
    QCOMPARE(m_dlg->m_particles.m_nCount, 351);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("351"));
}

void TestSwarmDlg::badTextsLeaveRunningWindow_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    const int ids[] = {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION};
    const QString texts[] = {QStringLiteral("abc"), QString(40, QLatin1Char('9')), QStringLiteral("-5"),
                             QStringLiteral("1e39"), QStringLiteral("nan")};
    for (int id : ids)
        for (const QString& text : texts)
            QTest::addRow("%d %s", id, qPrintable(text)) << id << text;
}

void TestSwarmDlg::badTextsLeaveRunningWindow()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    m_boxes.answer = QMessageBox::No;
    m_dlg->show();
    Edit(id)->setText(text);
    for (int i = 0; i < 3; ++i)
        SendPaint(m_dlg.get());
    QVERIFY(m_dlg->isVisible());
    QVERIFY(m_dlg->m_particles.m_nCount >= 0 && m_dlg->m_particles.m_nCount <= 67);
    QVERIFY(!m_dlg->m_backBuffer.isNull());
    if (id != IDC_NUM)
        return;
    // "abc" and "nan" read as 0, "1e39" as 1, "-5" leaves no particles, and forty
    // nines were declined.
    const int expected = text == QLatin1String("1e39") ? 1 : text.size() == 40 ? 67 : 0;
    QCOMPARE(m_dlg->m_particles.m_nCount, expected);
}

void TestSwarmDlg::unallocatableCountIsReported()
{
    // Keep this process's address space small, so that the arrays for the
    // largest count cannot be allocated on any machine. The room is counted from
    // what the process already holds: under AddressSanitizer that is terabytes of
    // reserved shadow, and a fixed cap below it would abort the whole run.
    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    rlimit limited = saved;
    limited.rlim_cur = std::min(AddressSpaceInUse() + (rlim_t(8) << 30), saved.rlim_max);
    QCOMPARE(setrlimit(RLIMIT_AS, &limited), 0);
    m_dlg->m_editNum->setText(QString(40, QLatin1Char('9')));
    setrlimit(RLIMIT_AS, &saved);

    QCOMPARE(m_boxes.shown.size(), size_t(2));
    QVERIFY(m_boxes.shown[1].text.contains(QStringLiteral("2147483647")));
    QCOMPARE(m_boxes.shown[1].parent, m_dlg.get());
    QCOMPARE(m_dlg->m_particles.m_nCount, 0);
    QVERIFY(m_dlg->m_particles.m_pCur == nullptr);
    SendPaint(m_dlg.get());
    // The window goes on: a smaller count works again.
    m_dlg->m_editNum->setText(QStringLiteral("12"));
    QCOMPARE(m_dlg->m_particles.m_nCount, 12);
}

void TestSwarmDlg::onePaintRequestIsOneStepAndNoneWhileMinimised_data()
{
    QTest::addColumn<bool>("playNice");
    QTest::newRow("Play Nice down") << true;
    QTest::newRow("Play Nice up") << false;
}

void TestSwarmDlg::onePaintRequestIsOneStepAndNoneWhileMinimised()
{
    QFETCH(bool, playNice);
    std::vector<std::chrono::milliseconds> pauses;
    m_dlg->m_sleep = [&pauses](std::chrono::milliseconds pause) { pauses.push_back(pause); };
    const std::vector<std::chrono::milliseconds> oneFramesPauses =
        playNice ? std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1)}
                 : std::vector<std::chrono::milliseconds>{};
    m_dlg->m_btnPlayNice->setChecked(playNice);
    QVERIFY(ShowOnScreen(*m_dlg));
    QCoreApplication::processEvents();
    pauses.clear();
    const std::vector<Particle> expected = SteppedOnce(m_dlg->m_particles);
    SendPaint(m_dlg.get());
    // Showing the new picture must not come back as another frame.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(SameBits(ParticlesOf(m_dlg->m_particles), expected));
    QCOMPARE(pauses, oneFramesPauses);
    // The dialog repainted only beneath a control (a blinking caret) is no frame.
    QPaintEvent beneathEdit(m_dlg->m_editNum->geometry());
    QApplication::sendEvent(m_dlg.get(), &beneathEdit);
    QVERIFY(SameBits(ParticlesOf(m_dlg->m_particles), expected));
    QCOMPARE(pauses, oneFramesPauses);

    // Minimised: neither a step nor a pause.
    m_dlg->showMinimized();
    QVERIFY(m_dlg->isMinimized());
    pauses.clear();
    const std::vector<Particle> before = ParticlesOf(m_dlg->m_particles);
    SendPaint(m_dlg.get());
    SendPaint(m_dlg.get());
    QVERIFY(SameBits(ParticlesOf(m_dlg->m_particles), before));
    QVERIFY(pauses.empty());
    m_dlg->showNormal();
    QCoreApplication::processEvents();
    pauses.clear();
    SendPaint(m_dlg.get());
    QVERIFY(!SameBits(ParticlesOf(m_dlg->m_particles), before));
    QCOMPARE(pauses, oneFramesPauses);
}

void TestSwarmDlg::renderHighlightsTheHoveredAndDraggedParticles()
{
    // The picture itself is the renderer's (tested with it); here, the dialog's
    // indexes reach it and the buffer has the canvas's size.
    SetCanvasClientSize(*m_dlg, 400, 300);
    PlaceParticles(*m_dlg, {{5, 5}, {2.5f, 7.5f}, {10, 10}, {0, 0}});
    m_dlg->m_nHover = 1;
    m_dlg->m_nDrag = 3;
    m_dlg->Render();
    const QImage& b = m_dlg->m_backBuffer;
    QCOMPARE(b.size(), QSize(400, 300));
    QCOMPARE(b.pixel(199, 149), kWhite); // (5, 5): a plain disc
    QCOMPARE(b.pixel(102, 77), kGrey);   // (2.5, 7.5), hovered: grey with a white outline
    QCOMPARE(b.pixel(97, 77), kWhite);
    QCOMPARE(b.pixel(5, 293), kGrey);    // (0, 0), dragged
    QCOMPARE(b.pixel(5, 298), kWhite);
}

void TestSwarmDlg::resizeRebuildsBufferAndMovesControls()
{
    QVERIFY(ShowOnScreen(*m_dlg));
    SendPaint(m_dlg.get());
    const QSize client = m_dlg->m_canvas->ClientSize();
    QCOMPARE(m_dlg->m_backBuffer.size(), client);
    // Every control of the column on the right, each at its own place.
    std::vector<std::pair<QWidget*, QRect>> column;
    for (const DialogItem& item : kSwarmDialogItems)
        if (item.id != IDC_CANVAS)
            column.emplace_back(GetDlgItem(m_dlg.get(), item.id), GetDlgItem(m_dlg.get(), item.id)->geometry());
    QCOMPARE(column.size(), size_t(13));

    m_dlg->resize(m_dlg->size() + QSize(40, 30));
    QTRY_COMPARE(m_dlg->m_canvas->ClientSize(), client + QSize(40, 30));
    QVERIFY(m_dlg->m_bResized);
    for (const auto& [control, place] : column)
        QVERIFY2(control->geometry() == place.translated(40, 0), qPrintable(control->objectName()));
    SendPaint(m_dlg.get());
    QCOMPARE(m_dlg->m_backBuffer.size(), client + QSize(40, 30));
    QVERIFY(!m_dlg->m_bResized);

    m_dlg->resize(m_dlg->size() - QSize(40, 30));
    QTRY_COMPARE(m_dlg->m_canvas->ClientSize(), client);
    for (const auto& [control, place] : column)
        QVERIFY2(control->geometry() == place, qPrintable(control->objectName()));

    // A canvas larger than the screen gets a buffer of the screen's size.
    m_dlg->resize(32767, 32767);
    QTRY_VERIFY(m_dlg->m_canvas->ClientSize().height() > 30000);
    SendPaint(m_dlg.get());
    QCOMPARE(m_dlg->m_backBuffer.size(), m_dlg->screen()->geometry().size());
}

void TestSwarmDlg::textsFitTheirControlsAndNoControlsOverlap()
{
    // At the start size, with every preset's texts in the boxes.
    QVERIFY(ShowOnScreen(*m_dlg));
    std::vector<QWidget*> controls;
    for (const DialogItem& item : kSwarmDialogItems)
        controls.push_back(GetDlgItem(m_dlg.get(), item.id));
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (QWidget* control : controls)
            QVERIFY2(TextFits(control), qPrintable(QStringLiteral("%1 in preset %2").arg(control->objectName()).arg(preset)));
        Button(IDC_PRESET_NEXT)->click();
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(controls[i]->objectName() + QStringLiteral(" overlaps ") + controls[j]->objectName()));
}

void TestSwarmDlg::enterClicksOnlyTheFocusedPushButton_data()
{
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("preset");  // after the key
    QTest::addColumn<bool>("toggled"); // Play Nice changed
    QTest::addColumn<bool>("about");   // the About box opened
    QTest::addColumn<bool>("visible"); // the window is still there
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("Return on <--") << IDC_PRESET_PREV << int(Qt::Key_Return) << 0 << 4 << false << false << true;
    QTest::newRow("Return on -->") << IDC_PRESET_NEXT << int(Qt::Key_Return) << 0 << 1 << false << false << true;
    QTest::newRow("keypad Enter on -->") << IDC_PRESET_NEXT << int(Qt::Key_Enter) << keypad << 1 << false << false
                                         << true;
    QTest::newRow("Ctrl+Return on -->") << IDC_PRESET_NEXT << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0
                                        << false << false << true;
    QTest::newRow("Return on the credit") << IDC_CREDIT << int(Qt::Key_Return) << 0 << 0 << false << true << true;
    QTest::newRow("Return on Play Nice") << IDC_PLAY_NICE << int(Qt::Key_Return) << 0 << 0 << false << false << true;
    QTest::newRow("Space on Play Nice") << IDC_PLAY_NICE << int(Qt::Key_Space) << 0 << 0 << true << false << true;
    QTest::newRow("Return in Num") << IDC_NUM << int(Qt::Key_Return) << 0 << 0 << false << false << true;
    QTest::newRow("keypad Enter in Friction") << IDC_FRICTION << int(Qt::Key_Enter) << keypad << 0 << false << false
                                              << true;
    QTest::newRow("Escape on -->") << IDC_PRESET_NEXT << int(Qt::Key_Escape) << 0 << 0 << false << false << false;
    QTest::newRow("Escape in Num") << IDC_NUM << int(Qt::Key_Escape) << 0 << 0 << false << false << false;
}

void TestSwarmDlg::enterClicksOnlyTheFocusedPushButton()
{
    QFETCH(int, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, preset);
    QFETCH(bool, toggled);
    QFETCH(bool, about);
    QFETCH(bool, visible);
    QVERIFY(ShowOnScreen(*m_dlg));
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    GetDlgItem(m_dlg.get(), focus)->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), GetDlgItem(m_dlg.get(), focus));
    const bool playNice = m_dlg->m_btnPlayNice->isChecked();

    bool gaveUp = false, aboutOpened = false;
    if (about)
        WhenShown([] { return QApplication::activeModalWidget(); }, [&](QWidget* box) {
            aboutOpened = dynamic_cast<CAboutDlg*>(box) != nullptr;
            box->close();
        }, &gaveUp);
    QTest::keyClick(Window(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QVERIFY(!gaveUp);
    QCOMPARE(aboutOpened, about);
    QCOMPARE(m_dlg->m_nPreset, preset);
    QCOMPARE(m_dlg->m_btnPlayNice->isChecked(), playNice != toggled);
    QCOMPARE(m_dlg->isVisible(), visible);
    // Enter makes no button the default, wherever the focus is.
    for (const QPushButton* button : m_dlg->findChildren<QPushButton*>())
        QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
}

void TestSwarmDlg::pointerMapsThroughTheCanvasAndGrabsTheLowestIndexInRange()
{
    // A fresh dialog has seen no move: a press on a particle grabs nothing.
    QVERIFY(ShowForPointer());
    QCOMPARE(m_dlg->m_nHover, -1);
    const QPoint p = DialogPointOfPixel(*m_dlg, 200, 150);
    m_dlg->m_particles.m_pCur[0].x = 5.0632911f;
    m_dlg->m_particles.m_pCur[0].y = 4.9152541f;
    QMouseEvent press(QEvent::MouseButtonPress, p, m_dlg->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(m_dlg.get(), &press);
    QCOMPARE(m_dlg->m_nDrag, -1);

    // A plain move over the canvas, no button, reaches the dialog and is mapped from
    // the canvas's own pixels (the mapping itself is tested with its rules).
    PlaceParticles(*m_dlg, {{5.0f, 5.0f}});
    QTest::mouseMove(Window(), DialogPointOfPixel(*m_dlg, 200, 150));
    VERIFY_SAME_FLOAT(m_dlg->m_fMouseX, 5.0632911f);
    VERIFY_SAME_FLOAT(m_dlg->m_fMouseY, 4.9152541f);
    QCOMPARE(m_dlg->m_nHover, 0);

    // Index 3 is closest to the pointer, 1 and 2 are also in range, 0 is not.
    PlaceParticles(*m_dlg, {{1.0f, 1.0f}, {5.15f, 5.0f}, {5.0f, 4.97f}, {5.06f, 4.92f}});
    MoveTo(DialogPointOfPixel(*m_dlg, 200, 150));
    QCOMPARE(m_dlg->m_nHover, 1);
    Press();
    QCOMPARE(m_dlg->m_nDrag, 1);
    VERIFY_SAME_FLOAT(m_dlg->m_fGrabDX, static_cast<float>(static_cast<double>(5.0632911f) - 5.15f));
    VERIFY_SAME_FLOAT(m_dlg->m_fGrabDY, static_cast<float>(static_cast<double>(4.9152541f) - 5.0f));
}

void TestSwarmDlg::hoverFollowsTheDragAndAMissedReleaseEndsIt()
{
    QVERIFY(ShowForPointer());
    PlaceParticles(*m_dlg, {{2.0f, 2.0f}, {5.0f, 5.0f}});
    MoveTo(At(2.0f, 2.0f));
    QCOMPARE(m_dlg->m_nHover, 0);
    Press();
    QCOMPARE(m_dlg->m_nDrag, 0);
    // Over particle 1 and over empty space the highlight stays on the dragged one.
    DragTo(At(5.0f, 5.0f));
    QCOMPARE(m_dlg->m_nHover, 0);
    DragTo(At(8.0f, 8.0f));
    QCOMPARE(m_dlg->m_nHover, 0);
    // After the release the highlight stays until the pointer moves.
    Release();
    QCOMPARE(m_dlg->m_nDrag, -1);
    QCOMPARE(m_dlg->m_nHover, 0);
    MoveTo(At(5.0f, 5.0f));
    QCOMPARE(m_dlg->m_nHover, 1);

    // A release that went elsewhere: the next move reports the button up.
    Press();
    DragTo(At(4.0f, 4.0f));
    QCOMPARE(m_dlg->m_nDrag, 1);
    MoveTo(At(2.0f, 2.0f));
    QCOMPARE(m_dlg->m_nDrag, -1);
    QCOMPARE(m_dlg->m_nHover, 0);
}

void TestSwarmDlg::heldParticleRestsWhileOthersMoveAndFliesOnAfterRelease()
{
    QVERIFY(ShowForPointer());
    // Particle 1 drifts; holding particle 0 must not stop the simulation around it.
    PlaceParticles(*m_dlg, {{5.0f, 5.0f}, {2.0f, 8.0f}});
    m_dlg->m_particles.m_pCur[1].vx = 0.01f;
    m_dlg->m_particles.m_pCur[0].vx = 0.05f; // moving when grabbed
    MoveTo(At(5.0f, 5.0f));
    Press();
    QCOMPARE(m_dlg->m_nDrag, 0);
    for (int frame = 0; frame < 4; ++frame) {
        m_dlg->StepAndDrag();
        const Particle& p = m_dlg->m_particles.m_pCur[0];
        QCOMPARE(p.x, 5.0f); // no jump to the pointer: held at its grab offset
        QCOMPARE(p.y, 5.0f);
        QVERIFY2(std::fabs(p.vx) < 1e-6f && std::fabs(p.vy) < 1e-6f, Show(p.vx) + " " + Show(p.vy));
    }
    QVERIFY(m_dlg->m_particles.m_pCur[1].x > 2.03f);

    // After a frame of movement and the release the particle flies on by itself
    // (how fast is the hold-and-fling rule's, tested with it).
    DragTo(At(5.2f, 5.1f));
    m_dlg->StepAndDrag();
    Release();
    const Particle flung = m_dlg->m_particles.m_pCur[0];
    QVERIFY(flung.vx > 0.0f && flung.vy > 0.0f);
    m_dlg->StepAndDrag();
    QVERIFY(m_dlg->m_particles.m_pCur[0].x > flung.x);
}

void TestSwarmDlg::releaseAnywhereEndsTheDrag()
{
    // Above and left of the window, and over the button right of the canvas: the
    // moves still come to the dialog and the particle is held at the mapped point,
    // outside the box; the release there ends the drag and clicks nothing.
    QVERIFY(ShowForPointer());
    QPushButton* next = Button(IDC_PRESET_NEXT);
    const QPoint overNext = next->mapTo(m_dlg.get(), next->rect().center());
    for (const QPoint& where : {QPoint(-40, -30), overNext}) {
        PlaceParticles(*m_dlg, {{5.0f, 5.0f}});
        QTest::mouseMove(Window(), At(5.0f, 5.0f));
        QTest::mousePress(Window(), Qt::LeftButton, {}, At(5.0f, 5.0f));
        QCOMPARE(m_dlg->m_nDrag, 0);
        QTest::mouseMove(Window(), where);
        QCOMPARE(m_dlg->m_nDrag, 0);
        m_dlg->StepAndDrag();
        const Particle& held = m_dlg->m_particles.m_pCur[0];
        if (where == overNext) {
            QVERIFY(m_dlg->m_fMouseX > 10.0f);
            QVERIFY(held.x > 10.0f);
        } else {
            QVERIFY(m_dlg->m_fMouseX < 0.0f && m_dlg->m_fMouseY > 10.0f);
            QVERIFY(held.x < 0.0f && held.y > 10.0f);
        }
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, where);
        QCOMPARE(m_dlg->m_nDrag, -1);
        QCOMPARE(m_dlg->m_nPreset, 0);
        QCOMPARE(m_dlg->m_particles.m_nCount, 1);
    }
}

void TestSwarmDlg::countChangeMidDragDropsBothIndexes()
{
    QVERIFY(ShowForPointer());
    for (const char* count : {"2", "5"}) {
        PlaceParticles(*m_dlg, {{2.0f, 2.0f}, {5.0f, 5.0f}, {8.0f, 8.0f}});
        MoveTo(At(8.0f, 8.0f));
        Press();
        QCOMPARE(m_dlg->m_nDrag, 2);
        m_dlg->m_editNum->setText(QString::fromLatin1(count));
        QCOMPARE(m_dlg->m_particles.m_nCount, QString::fromLatin1(count).toInt());
        QCOMPARE(m_dlg->m_nDrag, -1);
        QCOMPARE(m_dlg->m_nHover, -1);
        // The button is still down: frames and moves go on, and no particle is
        // held at the pointer any more.
        m_dlg->StepAndDrag();
        DragTo(At(1.0f, 9.0f));
        QCOMPARE(m_dlg->m_nHover, -1);
        m_dlg->StepAndDrag();
        const float heldX = static_cast<float>(static_cast<double>(m_dlg->m_fMouseX) - m_dlg->m_fGrabDX);
        for (int i = 0; i < m_dlg->m_particles.m_nCount; ++i)
            QVERIFY(m_dlg->m_particles.m_pCur[i].x != heldX);
        Release();
    }
}

QTEST_MAIN(TestSwarmDlg)
#include "tst_swarmdlg.moc"
