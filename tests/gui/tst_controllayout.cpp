// The anchor layout against a window system of plain rectangles.

#include "ControlLayout.h"

#include <QTest>

#include <map>
#include <tuple>

namespace {

class FakeWindows final : public LayoutWindows {
public:
    std::map<LayoutHandle, LayoutRect> rects;
    int placed = 0;

    LayoutRect WindowRect(LayoutHandle window) const override { return rects.at(window); }
    void Place(LayoutHandle control, int x, int y, int cx, int cy) override
    {
        rects[control] = {x, y, cx, cy};
        ++placed;
    }
    std::tuple<int, int, int, int> At(LayoutHandle h) const
    {
        const LayoutRect r = rects.at(h);
        return {r.x, r.y, r.cx, r.cy};
    }
};

int g_handles[300];
LayoutHandle H(int i)
{
    return &g_handles[i];
}

const LayoutHandle kParent = H(0), kCanvas = H(1), kButton = H(2), kBoth = H(3);

} // namespace

class TestControlLayout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstApplyOnlyRecordsThenEveryApplyPlaces();
    void growMovesTheColumnAndStretchesTheCanvas();
    void roundTripsRestoreEveryControlThroughNegativeSizes();
    void registrationBeyondCapacityIsIgnored();

private:
    FakeWindows m_windows;
    ControlLayout m_layout;
    void Resize(int w, int h)
    {
        m_windows.rects[kParent] = {0, 0, w, h};
        m_layout.Apply(m_windows, kParent, 0, 0);
    }
};

void TestControlLayout::init()
{
    m_windows = FakeWindows();
    m_windows.rects[kParent] = {100, 100, 500, 400};
    m_windows.rects[kCanvas] = {6, 3, 440, 460};
    m_windows.rects[kButton] = {465, 440, 46, 24};
    m_windows.rects[kBoth] = {10, 10, 20, 20};
    m_layout.Init(256);
    m_layout.Add(m_windows, kCanvas, LAYOUT_SIZE_X | LAYOUT_SIZE_Y);
    m_layout.Add(m_windows, kButton, LAYOUT_MOVE_X | LAYOUT_SIZE_X);
    m_layout.Add(m_windows, kBoth, LAYOUT_MOVE_X | LAYOUT_MOVE_Y | LAYOUT_SIZE_X | LAYOUT_SIZE_Y);
}

void TestControlLayout::firstApplyOnlyRecordsThenEveryApplyPlaces()
{
    Resize(700, 600);
    QCOMPARE(m_windows.placed, 0);
    QCOMPARE(m_layout.m_nLastWidth, 700);
    QCOMPARE(m_layout.m_nLastHeight, 600);
    Resize(700, 600);
    QCOMPARE(m_windows.placed, 3);
    QCOMPARE(m_windows.At(kCanvas), std::make_tuple(6, 3, 440, 460));
}

void TestControlLayout::growMovesTheColumnAndStretchesTheCanvas()
{
    Resize(500, 400);
    Resize(530, 450);
    QCOMPARE(m_windows.At(kCanvas), std::make_tuple(6, 3, 470, 510));
    // A move flag wins over the size flag of its axis; nothing else moves down.
    QCOMPARE(m_windows.At(kButton), std::make_tuple(495, 440, 46, 24));
    QCOMPARE(m_windows.At(kBoth), std::make_tuple(40, 60, 20, 20));
}

void TestControlLayout::roundTripsRestoreEveryControlThroughNegativeSizes()
{
    const auto before = m_windows;
    Resize(500, 400);
    Resize(877, 733);
    Resize(0, 401); // 500 narrower than at the start: the canvas is 60 below zero wide
    QCOMPARE(m_layout.m_pSize[0].cx, -60);
    QCOMPARE(m_windows.rects[kCanvas].cx, -60);
    Resize(500, 400);
    for (LayoutHandle h : {kCanvas, kButton, kBoth})
        QCOMPARE(m_windows.At(h), before.At(h));
}

void TestControlLayout::registrationBeyondCapacityIsIgnored()
{
    ControlLayout layout;
    layout.Init(256);
    for (int i = 0; i < 257; ++i) {
        m_windows.rects[H(10 + i)] = {i, 0, 10, 10};
        layout.Add(m_windows, H(10 + i), LAYOUT_MOVE_X);
    }
    QCOMPARE(layout.m_nCount, 256);
    m_windows.placed = 0;
    Resize(100, 100);
    layout.Apply(m_windows, kParent, 0, 0);
    Resize(105, 100);
    layout.Apply(m_windows, kParent, 0, 0);
    QCOMPARE(m_windows.placed, 3 + 256);
    QCOMPARE(m_windows.rects[H(10 + 255)].x, 260);
    QCOMPARE(m_windows.rects[H(10 + 256)].x, 256); // the 257th never moves
    layout.Free();
    QVERIFY(layout.m_phWnd == nullptr);
}

QTEST_APPLESS_MAIN(TestControlLayout)
#include "tst_controllayout.moc"
