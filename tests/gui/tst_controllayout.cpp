// The anchor layout against a window system of plain rectangles.

#include "ControlLayout.h"

#include <QTest>

#include <map>

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
};

int g_handles[300];
LayoutHandle H(int i)
{
    return &g_handles[i];
}

} // namespace

class TestControlLayout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstApplyOnlyRecordsTheParentSize();
    void growMovesTheColumnAndStretchesTheCanvas();
    void growThenShrinkRestoresEveryControl();
    void negativeSizeIsRememberedNotClamped();
    void registrationBeyondCapacityIsIgnored();

private:
    FakeWindows m_windows;
    ControlLayout m_layout;
    LayoutHandle m_parent = H(0);
    LayoutHandle m_canvas = H(1);
    LayoutHandle m_button = H(2);
    LayoutHandle m_both = H(3);
    void Resize(int w, int h)
    {
        m_windows.rects[m_parent] = {0, 0, w, h};
        m_layout.Apply(m_windows, m_parent, 0, 0);
    }
};

void TestControlLayout::init()
{
    m_windows = FakeWindows();
    m_windows.rects[m_parent] = {100, 100, 500, 400};
    m_windows.rects[m_canvas] = {6, 3, 440, 460};
    m_windows.rects[m_button] = {465, 440, 46, 24};
    m_windows.rects[m_both] = {10, 10, 20, 20};
    m_layout.Init(256);
    m_layout.Add(m_windows, m_canvas, LAYOUT_SIZE_X | LAYOUT_SIZE_Y);
    m_layout.Add(m_windows, m_button, LAYOUT_MOVE_X | LAYOUT_SIZE_X);
    m_layout.Add(m_windows, m_both, LAYOUT_MOVE_X | LAYOUT_MOVE_Y | LAYOUT_SIZE_X | LAYOUT_SIZE_Y);
}

void TestControlLayout::firstApplyOnlyRecordsTheParentSize()
{
    Resize(700, 600);
    QCOMPARE(m_windows.placed, 0);
    QCOMPARE(m_layout.m_nLastWidth, 700);
    QCOMPARE(m_layout.m_nLastHeight, 600);
    // An unchanged size still places every control.
    Resize(700, 600);
    QCOMPARE(m_windows.placed, 3);
    QCOMPARE(m_windows.rects[m_canvas].cx, 440);
}

void TestControlLayout::growMovesTheColumnAndStretchesTheCanvas()
{
    Resize(500, 400);
    Resize(530, 450);
    const LayoutRect canvas = m_windows.rects[m_canvas];
    QCOMPARE(canvas.x, 6);
    QCOMPARE(canvas.y, 3);
    QCOMPARE(canvas.cx, 470);
    QCOMPARE(canvas.cy, 510);
    // The move flag wins over the size flag of its axis; nothing moves down.
    const LayoutRect button = m_windows.rects[m_button];
    QCOMPARE(button.x, 495);
    QCOMPARE(button.y, 440);
    QCOMPARE(button.cx, 46);
    QCOMPARE(button.cy, 24);
    const LayoutRect both = m_windows.rects[m_both];
    QCOMPARE(both.x, 40);
    QCOMPARE(both.y, 60);
    QCOMPARE(both.cx, 20);
    QCOMPARE(both.cy, 20);
}

void TestControlLayout::growThenShrinkRestoresEveryControl()
{
    const auto before = m_windows.rects;
    Resize(500, 400);
    Resize(877, 733);
    Resize(613, 401);
    Resize(500, 400);
    for (LayoutHandle h : {m_canvas, m_button, m_both}) {
        QCOMPARE(m_windows.rects[h].x, before.at(h).x);
        QCOMPARE(m_windows.rects[h].y, before.at(h).y);
        QCOMPARE(m_windows.rects[h].cx, before.at(h).cx);
        QCOMPARE(m_windows.rects[h].cy, before.at(h).cy);
    }
}

void TestControlLayout::negativeSizeIsRememberedNotClamped()
{
    Resize(500, 400);
    Resize(0, 400); // 500 narrower: the 440-wide canvas goes to -60
    QCOMPARE(m_layout.m_pSize[0].cx, -60);
    QCOMPARE(m_windows.rects[m_canvas].cx, -60);
    Resize(500, 400);
    QCOMPARE(m_windows.rects[m_canvas].cx, 440);
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
    m_windows.rects[m_parent] = {0, 0, 100, 100};
    layout.Apply(m_windows, m_parent, 0, 0);
    m_windows.rects[m_parent] = {0, 0, 105, 100};
    layout.Apply(m_windows, m_parent, 0, 0);
    QCOMPARE(m_windows.placed, 256);
    QCOMPARE(m_windows.rects[H(10 + 256)].x, 256); // the 257th never moves
    QCOMPARE(m_windows.rects[H(10 + 255)].x, 260);
    layout.Free();
    QVERIFY(layout.m_phWnd == nullptr);
    QCOMPARE(layout.m_nCount, 256);
}

QTEST_APPLESS_MAIN(TestControlLayout)
#include "tst_controllayout.moc"
