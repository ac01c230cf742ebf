// The window-free arithmetic of a frame: world to pixels, the clamp before
// truncation, dialog units, and the rule that holds a dragged particle.

#include "CanvasMapping.h"
#include "DialogUnits.h"
#include "DragRule.h"
#include "Particle.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestFrameMath : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data();
    void workedExample();
    void truncatesTowardZeroAndClampsTheUnrepresentable();
    void dialogUnitsRoundLikeMulDiv();
    void heldParticleRestsUnderStillPointerAndLeavesWithHalfTheMove();
};

void TestFrameMath::workedExample_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("px");
    QTest::addColumn<int>("py");
    QTest::newRow("centre") << 5.0f << 5.0f << 194 << 144;
    QTest::newRow("quarter") << 2.5f << 7.5f << 97 << 72;
    QTest::newRow("top right") << 10.0f << 10.0f << 389 << 0;
    QTest::newRow("bottom left, just below 289") << 0.0f << 0.0f << 0 << 288;
}

void TestFrameMath::workedExample()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(int, px);
    QFETCH(int, py);
    const float sx = CanvasScale(400, 11);
    const float sy = CanvasScale(300, 11);
    QCOMPARE(static_cast<double>(sx), 38.900001525878906);
    QCOMPARE(static_cast<double>(sy), 28.899999618530273);
    const DiscPixel corner = DiscCorner(x, y, sx, sy);
    QCOMPARE(corner.x, px);
    QCOMPARE(corner.y, py);
}

void TestFrameMath::truncatesTowardZeroAndClampsTheUnrepresentable()
{
    QVERIFY(CanvasScale(5, 11) < 0.0f); // a canvas narrower than a disc
    QCOMPARE(DiscCorner(-0.05f, 10.0f, 10.0f, 10.0f).x, 0);
    QCOMPARE(DiscCorner(-0.15f, 10.0f, 10.0f, 10.0f).x, -1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const DiscPixel a = DiscCorner(nan, nan, 38.9f, 28.9f);
    QCOMPARE(a.x, 0);
    QCOMPARE(a.y, 0);
    const DiscPixel b = DiscCorner(inf, -inf, 38.9f, 28.9f);
    QCOMPARE(b.x, kPixelLimit);
    QCOMPARE(b.y, kPixelLimit);
    const DiscPixel c = DiscCorner(-3e38f, 3e38f, 38.9f, 28.9f);
    QCOMPARE(c.x, -kPixelLimit);
    QCOMPARE(c.y, -kPixelLimit);
}

void TestFrameMath::dialogUnitsRoundLikeMulDiv()
{
    QCOMPARE(MulDiv(3, 6, 4), 5);   // 4.5 rounds up
    QCOMPARE(MulDiv(-3, 6, 4), -5); // and away from zero below it
    QCOMPARE(MulDiv(1, 1, 0), -1);
    QCOMPARE(MulDiv(0x7fffffff, 4, 1), -1);
    QCOMPARE(BaseUnitX(6 * 52 + 40), 7); // an average of 6.77 rounds up
    const PixelRect r = DialogUnitsToPixels(344, 288, 294, 285, 6, 13);
    QCOMPARE(r.x, 516);
    QCOMPARE(r.y, 468);
    QCOMPARE(r.cx, 441);
    QCOMPARE(r.cy, 463); // 463.125
}

void TestFrameMath::heldParticleRestsUnderStillPointerAndLeavesWithHalfTheMove()
{
    // Held at (3, 4); the step then moved it by its velocity (0.2, -0.1).
    Particle still{3.2f, 3.9f, 0.2f, -0.1f, 0.0f};
    HoldDragged(still, 3.5f, 4.5f, 0.5f, 0.5f);
    QCOMPARE(still.x, 3.0f);
    QCOMPARE(still.y, 4.0f);
    QVERIFY(std::fabs(still.vx) < 1e-6f && std::fabs(still.vy) < 1e-6f);

    // At rest at (1, 1) while the pointer moves by (0.5, -0.25).
    Particle flung{1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    HoldDragged(flung, 1.5f, 0.75f, 0.0f, 0.0f);
    QCOMPARE(flung.vx, 0.25f);
    QCOMPARE(flung.vy, -0.125f);
}

QTEST_APPLESS_MAIN(TestFrameMath)
#include "tst_framemath.moc"
