// Hover, grab, hold and fling on the main dialog: the pointer handlers, and the
// toolkit's delivery of the pointer through the canvas and of the release.

#include "GuiTestHelpers.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <cmath>

namespace {

QByteArray Show(float value)
{
    return QByteArray::number(value, 'g', 9);
}

// Exact float comparison with both values in the message.
#define VERIFY_SAME_FLOAT(actual, expected) \
    QVERIFY2((actual) == (expected), Show(actual) + " != " + Show(expected))

// Canvas pixel of world (x, y) under the pointer scale of a 400 by 300 canvas.
QPoint PixelOfWorld(float x, float y)
{
    return QPoint(static_cast<int>(std::lround(x * 39.5)), static_cast<int>(std::lround((10.0 - y) * 29.5)));
}

} // namespace

class TestPointerInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void workedExampleThroughTheCanvas();
    void lowestIndexInRangeIsHoveredAndGrabbed();
    void pressBeforeAnyMoveGrabsNothing();
    void hoverFollowsTheDrag();
    void stillPointerRestsAndFlingLeavesWithHalfTheMovement();
    void releaseOutsideTheWindowEndsTheDrag();
    void releaseOverAButtonEndsTheDragAndClicksNothing();
    void countChangeMidDragDropsBothIndexes();
    void degenerateCanvasPicksNothing();
    void moveWithoutTheButtonEndsAMissedDrag();

private:
    CSwarmDlg& Dlg() { return *m_dlg; }
    QWindow* Window() { return m_dlg->windowHandle(); }
    QPoint At(float x, float y) { return DialogPointOfPixel(*m_dlg, PixelOfWorld(x, y).x(), PixelOfWorld(x, y).y()); }
    void MoveTo(const QPoint& p) { Dlg().OnMouseMove(Qt::NoButton, p); }
    void DragTo(const QPoint& p) { Dlg().OnMouseMove(Qt::LeftButton, p); }

    std::unique_ptr<CSwarmDlg> m_dlg;
};

void TestPointerInput::init()
{
    m_dlg = ShowMainDialog();
    QVERIFY(m_dlg);
    SetCanvasClientSize(*m_dlg, 400, 300);
}

void TestPointerInput::cleanup()
{
    m_dlg.reset();
}

void TestPointerInput::workedExampleThroughTheCanvas()
{
    PlaceParticles(Dlg(), {{5.0f, 5.0f}});
    // A plain move over the canvas, no button: the canvas passes it to the dialog.
    QTest::mouseMove(Window(), DialogPointOfPixel(Dlg(), 200, 150));
    VERIFY_SAME_FLOAT(Dlg().m_fMouseX, 5.0632911f);
    VERIFY_SAME_FLOAT(Dlg().m_fMouseY, 4.9152541f);
    QCOMPARE(Dlg().m_nHover, 0);

    // The centre of the particle's drawn disc is well inside the pick radius.
    QTest::mouseMove(Window(), DialogPointOfPixel(Dlg(), 199, 149));
    VERIFY_SAME_FLOAT(Dlg().m_fMouseX, 5.0379744f);
    VERIFY_SAME_FLOAT(Dlg().m_fMouseY, 4.9491525f);
    QCOMPARE(Dlg().m_nHover, 0);

    // Twelve pixels to the right is outside the radius of 11 pixels' worth.
    QTest::mouseMove(Window(), DialogPointOfPixel(Dlg(), 211, 149));
    QCOMPARE(Dlg().m_nHover, -1);
}

void TestPointerInput::lowestIndexInRangeIsHoveredAndGrabbed()
{
    // Index 3 is closest to the pointer, 1 and 2 are also in range, 0 is not.
    PlaceParticles(Dlg(), {{1.0f, 1.0f}, {5.15f, 5.0f}, {5.0f, 4.97f}, {5.06f, 4.92f}});
    MoveTo(DialogPointOfPixel(Dlg(), 200, 150));
    QCOMPARE(Dlg().m_nHover, 1);
    Dlg().OnLButtonDown(Qt::LeftButton, QPoint());
    QCOMPARE(Dlg().m_nDrag, 1);
    VERIFY_SAME_FLOAT(Dlg().m_fGrabDX, static_cast<float>(static_cast<double>(5.0632911f) - 5.15f));
    VERIFY_SAME_FLOAT(Dlg().m_fGrabDY, static_cast<float>(static_cast<double>(4.9152541f) - 5.0f));
}

void TestPointerInput::pressBeforeAnyMoveGrabsNothing()
{
    // A fresh dialog has seen no move; a particle sits right under the press.
    QCOMPARE(Dlg().m_nHover, -1);
    const QPoint p = DialogPointOfPixel(Dlg(), 200, 150);
    Dlg().m_particles.m_pCur[0].x = 5.0632911f;
    Dlg().m_particles.m_pCur[0].y = 4.9152541f;
    QMouseEvent press(QEvent::MouseButtonPress, p, Dlg().mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&Dlg(), &press);
    QCOMPARE(Dlg().m_nDrag, -1);
}

void TestPointerInput::hoverFollowsTheDrag()
{
    PlaceParticles(Dlg(), {{2.0f, 2.0f}, {5.0f, 5.0f}});
    MoveTo(At(2.0f, 2.0f));
    QCOMPARE(Dlg().m_nHover, 0);
    Dlg().OnLButtonDown(Qt::LeftButton, QPoint());
    QCOMPARE(Dlg().m_nDrag, 0);

    // Over particle 1 and over empty space the highlight stays on the dragged one.
    DragTo(At(5.0f, 5.0f));
    QCOMPARE(Dlg().m_nHover, 0);
    DragTo(At(8.0f, 8.0f));
    QCOMPARE(Dlg().m_nHover, 0);

    // After the release the highlight stays until the pointer moves.
    Dlg().OnLButtonUp(Qt::NoButton, QPoint());
    QCOMPARE(Dlg().m_nDrag, -1);
    QCOMPARE(Dlg().m_nHover, 0);
    MoveTo(At(5.0f, 5.0f));
    QCOMPARE(Dlg().m_nHover, 1);
}

void TestPointerInput::stillPointerRestsAndFlingLeavesWithHalfTheMovement()
{
    // Particle 1 drifts; holding particle 0 must not stop the simulation around it.
    PlaceParticles(Dlg(), {{5.0f, 5.0f}, {2.0f, 8.0f}});
    Dlg().m_particles.m_pCur[1].vx = 0.01f;
    Dlg().m_particles.m_pCur[0].vx = 0.05f; // moving when grabbed
    MoveTo(At(5.0f, 5.0f));
    Dlg().OnLButtonDown(Qt::LeftButton, QPoint());
    QCOMPARE(Dlg().m_nDrag, 0);

    for (int frame = 0; frame < 4; ++frame) {
        Dlg().StepAndDrag();
        const Particle& p = Dlg().m_particles.m_pCur[0];
        QCOMPARE(p.x, 5.0f); // no jump to the pointer: held at its grab offset
        QCOMPARE(p.y, 5.0f);
        QVERIFY2(std::fabs(p.vx) < 1e-6f && std::fabs(p.vy) < 1e-6f, Show(p.vx) + " " + Show(p.vy));
    }
    QVERIFY(Dlg().m_particles.m_pCur[1].x > 2.03f);

    // One frame of movement, then the release: half the movement stays as velocity.
    const float x0 = Dlg().m_fMouseX, y0 = Dlg().m_fMouseY;
    DragTo(At(5.2f, 5.1f));
    const double dx = static_cast<double>(Dlg().m_fMouseX) - x0;
    const double dy = static_cast<double>(Dlg().m_fMouseY) - y0;
    Dlg().StepAndDrag();
    Dlg().OnLButtonUp(Qt::NoButton, QPoint());
    const Particle flung = Dlg().m_particles.m_pCur[0];
    QVERIFY2(std::fabs(flung.vx - dx / 2) < 1e-6, Show(flung.vx));
    QVERIFY2(std::fabs(flung.vy - dy / 2) < 1e-6, Show(flung.vy));

    Dlg().StepAndDrag();
    const Particle next = Dlg().m_particles.m_pCur[0];
    QCOMPARE(next.vx, flung.vx);
    QVERIFY(std::fabs(next.x - (flung.x + flung.vx)) < 1e-6f);
    QVERIFY(std::fabs(next.y - (flung.y + flung.vy)) < 1e-6f);
}

void TestPointerInput::releaseOutsideTheWindowEndsTheDrag()
{
    PlaceParticles(Dlg(), {{5.0f, 5.0f}});
    QTest::mouseMove(Window(), At(5.0f, 5.0f));
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(5.0f, 5.0f));
    QCOMPARE(Dlg().m_nDrag, 0);

    // Above and left of the window: the moves still come to the dialog, and the
    // particle is held at the mapped point, outside the box.
    const QPoint outside(-40, -30);
    QTest::mouseMove(Window(), outside);
    QCOMPARE(Dlg().m_nDrag, 0);
    QVERIFY(Dlg().m_fMouseX < 0.0f);
    QVERIFY(Dlg().m_fMouseY > 10.0f);
    Dlg().StepAndDrag();
    QVERIFY(Dlg().m_particles.m_pCur[0].x < 0.0f);
    QVERIFY(Dlg().m_particles.m_pCur[0].y > 10.0f);

    QTest::mouseRelease(Window(), Qt::LeftButton, {}, outside);
    QCOMPARE(Dlg().m_nDrag, -1);
}

void TestPointerInput::releaseOverAButtonEndsTheDragAndClicksNothing()
{
    PlaceParticles(Dlg(), {{5.0f, 5.0f}});
    QTest::mouseMove(Window(), At(5.0f, 5.0f));
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(5.0f, 5.0f));
    QCOMPARE(Dlg().m_nDrag, 0);

    auto* next = qobject_cast<QPushButton*>(GetDlgItem(&Dlg(), IDC_PRESET_NEXT));
    const QPoint overNext = next->mapTo(&Dlg(), next->rect().center());
    QTest::mouseMove(Window(), overNext);
    QVERIFY(Dlg().m_fMouseX > 10.0f); // right of the canvas, outside the box
    Dlg().StepAndDrag();
    QVERIFY(Dlg().m_particles.m_pCur[0].x > 10.0f);

    const int preset = Dlg().m_nPreset;
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, overNext);
    QCOMPARE(Dlg().m_nDrag, -1);
    QCOMPARE(Dlg().m_nPreset, preset);
    QCOMPARE(Dlg().m_particles.m_nCount, 1);
}

void TestPointerInput::countChangeMidDragDropsBothIndexes()
{
    for (const char* count : {"2", "5"}) {
        PlaceParticles(Dlg(), {{2.0f, 2.0f}, {5.0f, 5.0f}, {8.0f, 8.0f}});
        MoveTo(At(8.0f, 8.0f));
        Dlg().OnLButtonDown(Qt::LeftButton, QPoint());
        QCOMPARE(Dlg().m_nDrag, 2);

        Dlg().m_editNum->setText(QString::fromLatin1(count));
        QCOMPARE(Dlg().m_particles.m_nCount, QString::fromLatin1(count).toInt());
        QCOMPARE(Dlg().m_nDrag, -1);
        QCOMPARE(Dlg().m_nHover, -1);

        // The button is still down: frames and moves go on, and no particle is
        // held at the pointer any more.
        Dlg().StepAndDrag();
        DragTo(At(1.0f, 9.0f));
        QCOMPARE(Dlg().m_nHover, -1);
        Dlg().StepAndDrag();
        const float heldX = static_cast<float>(static_cast<double>(Dlg().m_fMouseX) - Dlg().m_fGrabDX);
        for (int i = 0; i < Dlg().m_particles.m_nCount; ++i)
            QVERIFY(Dlg().m_particles.m_pCur[i].x != heldX);
        Dlg().OnLButtonUp(Qt::NoButton, QPoint());
    }
}

void TestPointerInput::degenerateCanvasPicksNothing()
{
    // Half the disc size is 5: a width or height of 5 would make a factor
    // infinite, a width below 5 makes it negative.
    const struct {
        int width, height;
    } sizes[] = {{5, 300}, {400, 5}, {3, 300}};
    for (const auto& size : sizes) {
        SetCanvasClientSize(Dlg(), 400, 300);
        PlaceParticles(Dlg(), {{5.0f, 5.0f}});
        MoveTo(At(5.0f, 5.0f));
        QCOMPARE(Dlg().m_nHover, 0);

        SetCanvasClientSize(Dlg(), size.width, size.height);
        // Wherever the pointer now maps, put the particle right there.
        MoveTo(DialogPointOfPixel(Dlg(), 2, 2));
        Dlg().m_particles.m_pCur[0].x = Dlg().m_fMouseX;
        Dlg().m_particles.m_pCur[0].y = Dlg().m_fMouseY;
        MoveTo(DialogPointOfPixel(Dlg(), 2, 2));
        QVERIFY(std::isfinite(Dlg().m_fMouseX) && std::isfinite(Dlg().m_fMouseY));
        QCOMPARE(Dlg().m_nHover, -1);
        Dlg().OnLButtonDown(Qt::LeftButton, QPoint());
        QCOMPARE(Dlg().m_nDrag, -1);
        Dlg().OnPaint(); // a frame on the tiny canvas
        Dlg().OnLButtonUp(Qt::NoButton, QPoint());
    }
}

void TestPointerInput::moveWithoutTheButtonEndsAMissedDrag()
{
    PlaceParticles(Dlg(), {{5.0f, 5.0f}, {2.0f, 2.0f}});
    MoveTo(At(5.0f, 5.0f));
    Dlg().OnLButtonDown(Qt::LeftButton, QPoint());
    DragTo(At(4.0f, 4.0f));
    QCOMPARE(Dlg().m_nDrag, 0);
    // The release went elsewhere; the next move reports the button up.
    MoveTo(At(2.0f, 2.0f));
    QCOMPARE(Dlg().m_nDrag, -1);
    QCOMPARE(Dlg().m_nHover, 1);
}

QTEST_MAIN(TestPointerInput)

#include "tst_pointerinput.moc"
