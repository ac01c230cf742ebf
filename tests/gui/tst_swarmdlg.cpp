// The main dialog on the offscreen platform: its controls, the edit handlers, the
// confirmation, presets, frames, drawing and resizing.

#include "CSwarmDlg.h"
#include "DialogTemplate.h"
#include "RandomUnit.h"
#include "SwarmCanvas.h"
#include "SwarmParams.h"
#include "TemplateBuilder.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <memory>
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

std::vector<Particle> Snapshot(const ParticleSystem& ps)
{
    return std::vector<Particle>(ps.m_pCur, ps.m_pCur + ps.m_nCount);
}

// Bit for bit, leaving out the field that nothing writes.
bool SameBits(const std::vector<Particle>& a, const std::vector<Particle>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], 4 * sizeof(float)) != 0)
            return false;
    return true;
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
    return Snapshot(copy);
}

void SendPaint(QWidget* w)
{
    QPaintEvent paint(w->rect());
    QCoreApplication::sendEvent(w, &paint);
}

} // namespace

class TestSwarmDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controlsStandAtTheirTemplatePlaces();
    void startValues();
    void presetsWrapAround();
    void presetRescattersEvenWhenTextsAreUnchanged();
    void largeCountAsksFirst();
    void realConfirmationBoxIsAnsweredNo();
    void countChangeClearsIndexes();
    void badTextsLeaveRunningWindow_data();
    void badTextsLeaveRunningWindow();
    void unallocatableCountIsReported();
    void onePaintRequestIsOneStep();
    void noStepWhileMinimised();
    void workedExampleAndHighlightInBackBuffer();
    void emptySystemDrawsOnlyTheFramedGreyArea();
    void resizeRebuildsBufferAndMovesControls();
    void enterKeepsWindowAndEscapeHidesIt();

private:
    std::unique_ptr<CSwarmDlg> m_dlg;
    BoxLog m_boxes;
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(GetDlgItem(m_dlg.get(), id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(GetDlgItem(m_dlg.get(), id)); }
    void SetCanvasClient(int w, int h)
    {
        const int frame = 2 * m_dlg->m_canvas->frameWidth();
        m_dlg->m_canvas->resize(w + frame, h + frame);
        m_dlg->m_bResized = true;
    }
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

void TestSwarmDlg::controlsStandAtTheirTemplatePlaces()
{
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Driftmote"));
    QVERIFY(m_dlg->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    QVERIFY(m_dlg->minimumSize() != m_dlg->maximumSize()); // resizable
    QVERIFY(!m_dlg->windowIcon().isNull());

    const DialogBaseUnits units = BaseUnitsOf(m_dlg->font());
    QCOMPARE(m_dlg->size(), MapDialogRect(units, 0, 0, 344, 288).size());
    for (const DialogItem& item : kSwarmDialogItems) {
        QWidget* w = GetDlgItem(m_dlg.get(), item.id);
        QVERIFY2(w, item.name);
        QCOMPARE(w->geometry(), MapDialogRect(units, item.x, item.y, item.cx, item.cy));
        if (auto* b = qobject_cast<QPushButton*>(w))
            QCOMPARE(b->text(), QString::fromUtf8(item.caption));
    }
    QVERIFY(Button(IDC_PLAY_NICE)->isCheckable() && !Button(IDC_PRESET_NEXT)->isCheckable());
    QVERIFY(m_dlg->m_canvas->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(m_dlg->hasMouseTracking());

    // Tab order is template order: the toggle at the bottom follows the count.
    const int expected[] = {IDC_NUM, IDC_PLAY_NICE, IDC_ATTRACTION, IDC_REPULSION,
                            IDC_FRICTION, IDC_CREDIT, IDC_PRESET_PREV, IDC_PRESET_NEXT};
    QWidget* w = m_dlg->m_editNum;
    for (int id : expected) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        QCOMPARE(w, GetDlgItem(m_dlg.get(), id));
        w = w->nextInFocusChain();
    }
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
    QCOMPARE(m_dlg->m_nDotSize, 11);
    QVERIFY(m_boxes.shown.empty());

    // The first picture comes from a scatter of 67 that follows a scatter of 3.
    PortableRandRestart();
    ParticleSystem expected;
    ResizeAndScatter(expected, 3);
    ResizeAndScatter(expected, 67);
    QVERIFY(SameBits(Snapshot(m_dlg->m_particles), Snapshot(expected)));
}

void TestSwarmDlg::presetsWrapAround()
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
}

void TestSwarmDlg::presetRescattersEvenWhenTextsAreUnchanged()
{
    for (int i = 0; i < 5; ++i)
        m_dlg->StepAndDrag();
    m_dlg->m_particles.m_fAttraction = 1.0f;
    m_dlg->m_particles.m_fRepulsion = 1.0f;
    m_dlg->m_particles.m_fFriction = 1.0f;
    const std::uint32_t randomBefore = PortableRandState();

    // Preset 4 forward wraps to 0, whose texts are already in the boxes.
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

void TestSwarmDlg::largeCountAsksFirst()
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

    m_boxes.answer = QMessageBox::Yes;
    m_dlg->m_editNum->setText(QStringLiteral("351"));
    QCOMPARE(m_boxes.shown.size(), size_t(2));
    QCOMPARE(m_dlg->m_particles.m_nCount, 351);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("351"));
}

void TestSwarmDlg::realConfirmationBoxIsAnsweredNo()
{
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
    QCOMPARE(m_dlg->m_particles.m_nCount, 67);
    QCOMPARE(m_dlg->m_editNum->text(), QStringLiteral("67"));
}

void TestSwarmDlg::countChangeClearsIndexes()
{
    m_dlg->m_nHover = 66;
    m_dlg->m_nDrag = 66;
    m_dlg->m_editNum->setText(QStringLiteral("5"));
    QCOMPARE(m_dlg->m_nHover, -1);
    QCOMPARE(m_dlg->m_nDrag, -1);
    m_dlg->StepAndDrag();
    m_dlg->Render();
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
    // largest count cannot be allocated on any machine.
    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(8) << 30;
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

void TestSwarmDlg::onePaintRequestIsOneStep()
{
    m_dlg->m_btnPlayNice->setChecked(false);
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    QCoreApplication::processEvents();
    const std::vector<Particle> expected = SteppedOnce(m_dlg->m_particles);
    SendPaint(m_dlg.get());
    // Showing the new picture must not come back as another frame.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(SameBits(Snapshot(m_dlg->m_particles), expected));
}

void TestSwarmDlg::noStepWhileMinimised()
{
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    m_dlg->showMinimized();
    QVERIFY(m_dlg->isMinimized());
    const std::vector<Particle> before = Snapshot(m_dlg->m_particles);
    SendPaint(m_dlg.get());
    SendPaint(m_dlg.get());
    QVERIFY(SameBits(Snapshot(m_dlg->m_particles), before));
    m_dlg->showNormal();
    SendPaint(m_dlg.get());
    QVERIFY(!SameBits(Snapshot(m_dlg->m_particles), before));
}

void TestSwarmDlg::workedExampleAndHighlightInBackBuffer()
{
    SetCanvasClient(400, 300);
    ParticleSystem& ps = m_dlg->m_particles;
    ps.SetCount(4);
    const float places[4][2] = {{5, 5}, {2.5f, 7.5f}, {10, 10}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        ps.m_pCur[i] = {places[i][0], places[i][1], 0, 0, 0};
    m_dlg->m_nHover = 1;
    m_dlg->m_nDrag = 3;
    m_dlg->Render();
    const QImage& b = m_dlg->m_backBuffer;
    QCOMPARE(b.size(), QSize(400, 300));
    struct Probe {
        int x, y;
        QRgb rgb;
    };
    const Probe probes[] = {
        {0, 150, kBlack}, {200, 0, kBlack}, {1, 1, kGrey}, // the frame and the grey inside
        // (5, 5): white with a black outline, in the box 194..204 by 144..154.
        {199, 149, kWhite}, {194, 149, kBlack}, {204, 149, kBlack}, {199, 144, kBlack}, {199, 154, kBlack},
        {193, 149, kGrey}, {205, 149, kGrey}, {199, 155, kGrey},
        {102, 77, kGrey}, {97, 77, kWhite}, {102, 72, kWhite}, // (2.5, 7.5), hovered: grey, white outline
        {394, 5, kWhite}, {399, 5, kBlack},                    // (10, 10) reaches the right edge
        {5, 293, kGrey}, {5, 298, kWhite},                     // (0, 0), dragged, reaches the bottom
    };
    for (const Probe& p : probes)
        QVERIFY2(b.pixel(p.x, p.y) == p.rgb, qPrintable(QStringLiteral("pixel %1, %2").arg(p.x).arg(p.y)));
}

void TestSwarmDlg::emptySystemDrawsOnlyTheFramedGreyArea()
{
    SetCanvasClient(120, 90);
    m_dlg->m_particles.SetCount(0);
    m_dlg->Render();
    const QImage& b = m_dlg->m_backBuffer;
    QCOMPARE(b.size(), QSize(120, 90));
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool edge = x == 0 || y == 0 || x == 119 || y == 89;
            QCOMPARE(b.pixel(x, y), edge ? kBlack : kGrey);
        }
}

void TestSwarmDlg::resizeRebuildsBufferAndMovesControls()
{
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    SendPaint(m_dlg.get());
    const QSize client = m_dlg->m_canvas->ClientSize();
    QCOMPARE(m_dlg->m_backBuffer.size(), client);
    const QRect num = m_dlg->m_editNum->geometry();
    const QRect toggle = m_dlg->m_btnPlayNice->geometry();

    m_dlg->resize(m_dlg->size() + QSize(40, 30));
    QTRY_COMPARE(m_dlg->m_canvas->ClientSize(), client + QSize(40, 30));
    QVERIFY(m_dlg->m_bResized);
    QCOMPARE(m_dlg->m_editNum->geometry(), num.translated(40, 0));
    QCOMPARE(m_dlg->m_btnPlayNice->geometry(), toggle.translated(40, 0));
    SendPaint(m_dlg.get());
    QCOMPARE(m_dlg->m_backBuffer.size(), client + QSize(40, 30));
    QVERIFY(!m_dlg->m_bResized);

    m_dlg->resize(m_dlg->size() - QSize(40, 30));
    QTRY_COMPARE(m_dlg->m_canvas->ClientSize(), client);
    QCOMPARE(m_dlg->m_editNum->geometry(), num);
}

void TestSwarmDlg::enterKeepsWindowAndEscapeHidesIt()
{
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    const bool playNice = m_dlg->m_btnPlayNice->isChecked();
    QTest::keyClick(m_dlg->m_editNum, Qt::Key_Return);
    QTest::keyClick(Edit(IDC_FRICTION), Qt::Key_Enter);
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_dlg->m_btnPlayNice->isChecked(), playNice);
    QCOMPARE(m_dlg->m_nPreset, 0);
    QTest::keyClick(m_dlg->m_editNum, Qt::Key_Escape);
    QVERIFY(!m_dlg->isVisible());
}

QTEST_MAIN(TestSwarmDlg)
#include "tst_swarmdlg.moc"
