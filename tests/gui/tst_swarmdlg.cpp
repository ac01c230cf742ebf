// SPDX-License-Identifier: MIT
// The main dialog on the offscreen platform: its controls and focus, keys, clicks
// and the pointer reaching the session, the large-count and no-memory boxes,
// frames from paint requests, drawing, layout and resizing. The session's own
// rules are tested without a window.

#include "CAboutDlg.h"
#include "GuiTestHelpers.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <vector>

namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kGrey = 0xffc0c0c0;

// The address space this process holds now, in bytes.
rlim_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    return rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
}

// The first control that is not wholly inside the window or that overlaps another,
// with the reason; empty when every control is whole and alone.
QString MisplacedControl(const CSwarmDlg& dlg)
{
    std::vector<QWidget*> controls;
    for (const DialogItem& item : kSwarmDialogItems)
        controls.push_back(GetDlgItem(&dlg, item.id));
    for (size_t i = 0; i < controls.size(); ++i) {
        if (!dlg.rect().contains(controls[i]->geometry()))
            return controls[i]->objectName() + QStringLiteral(" is cut off");
        for (size_t j = i + 1; j < controls.size(); ++j)
            if (controls[i]->geometry().intersects(controls[j]->geometry()))
                return controls[i]->objectName() + QStringLiteral(" overlaps ") + controls[j]->objectName();
    }
    return QString();
}

} // namespace

class TestSwarmDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startShowsTheSessionWithTheCountFocused();
    void keysAndArrowsReachTheSession();
    void largeCountAsksInARealBox_data();
    void largeCountAsksInARealBox();
    void unallocatableCountIsReported();
    void onePaintRequestIsOneFrameAndNoneWhileMinimised_data();
    void onePaintRequestIsOneFrameAndNoneWhileMinimised();
    void hoveredAndDraggedParticlesAreHighlighted();
    void resizeRebuildsBufferAndMovesControls();
    void canvasPaintsEveryDevicePixelOfItsFrame();
    void textsFitTheirControlsAndNoControlsOverlap();
    void enterClicksOnlyTheFocusedPushButton_data();
    void enterClicksOnlyTheFocusedPushButton();
    void pointerReachesTheSessionThroughTheCanvasWhereverItIs();

private:
    std::unique_ptr<CSwarmDlg> m_dlg;
    std::vector<QString> m_boxes; // the texts of the message boxes shown
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(GetDlgItem(m_dlg.get(), id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(GetDlgItem(m_dlg.get(), id)); }
    const SwarmSession& Session() const { return m_dlg->Session(); }
    QWindow* Window() { return m_dlg->windowHandle(); }
    // Shown, with a canvas of 400 by 300.
    bool ShowForPointer()
    {
        const bool shown = ShowOnScreen(*m_dlg);
        SetCanvasClientSize(*m_dlg, 400, 300);
        return shown;
    }
    QPoint At(float x, float y) { return DialogPointOfWorld(*m_dlg, x, y); }
};

void TestSwarmDlg::init()
{
    m_boxes.clear();
    m_dlg = std::make_unique<CSwarmDlg>();
    m_dlg->SetMessageBoxRunner([this](QMessageBox& box) {
        m_boxes.push_back(box.text());
        return static_cast<int>(box.icon() == QMessageBox::NoIcon ? QMessageBox::Yes : QMessageBox::Ok);
    });
    m_dlg->SetSleep([](std::chrono::milliseconds) {});
    m_dlg->Create();
}

void TestSwarmDlg::cleanup()
{
    m_dlg.reset();
}

void TestSwarmDlg::startShowsTheSessionWithTheCountFocused()
{
    for (int i = 0; i < kParamBoxCount; ++i)
        QCOMPARE(Edit(kBoxes[i])->text(), QString::fromStdString(Session().Text(ParamBox(i))));
    QVERIFY(Button(IDC_PLAY_NICE)->isChecked());
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Driftmote"));
    QVERIFY(m_dlg->windowFlags().testFlags(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    QVERIFY(m_dlg->minimumSize() != m_dlg->maximumSize()); // resizable
    QCOMPARE(Button(IDC_PLAY_NICE)->text(), QStringLiteral("Play\nNice"));
    QVERIFY(Button(IDC_PLAY_NICE)->isCheckable() && !Button(IDC_PRESET_NEXT)->isCheckable());
    // Tab order is template order: the toggle at the bottom follows the count.
    QWidget* w = Edit(IDC_NUM);
    for (int id : {IDC_NUM, IDC_PLAY_NICE, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION, IDC_CREDIT,
                   IDC_PRESET_PREV, IDC_PRESET_NEXT, IDC_NUM}) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        QCOMPARE(w, GetDlgItem(m_dlg.get(), id));
        w = w->nextInFocusChain();
    }
    QVERIFY(m_boxes.empty());
}

void TestSwarmDlg::keysAndArrowsReachTheSession()
{
    // Typed into the window as a user types: the keys go to whatever has the focus,
    // and the count's whole text starts selected.
    QVERIFY(ShowOnScreen(*m_dlg));
    QCOMPARE(QApplication::focusWidget(), Edit(IDC_NUM));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("50"));
    QCOMPARE(Edit(IDC_NUM)->text(), QStringLiteral("50"));
    QCOMPARE(Session().Particles().m_nCount, 50);
    Edit(IDC_FRICTION)->setFocus();
    Edit(IDC_FRICTION)->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(".5"));
    QCOMPARE(Session().Text(ParamBox::Friction), ".5");

    // An arrow: the session's preset, and its texts in the boxes.
    Button(IDC_PRESET_PREV)->click();
    QCOMPARE(Session().Preset(), kPresetCount - 1);
    for (int i = 0; i < kParamBoxCount; ++i)
        QCOMPARE(Edit(kBoxes[i])->text(), QString::fromStdString(Session().Text(ParamBox(i))));
    QVERIFY(m_boxes.empty());
}

void TestSwarmDlg::largeCountAsksInARealBox_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("count");
    QTest::newRow("No puts the count in use back") << QMessageBox::No << 67;
    QTest::newRow("Yes goes ahead") << QMessageBox::Yes << 400;
}

void TestSwarmDlg::largeCountAsksInARealBox()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, count);
    m_dlg->SetMessageBoxRunner([](QMessageBox& box) { return box.exec(); });
    m_dlg->show();
    QStringList seen;
    bool gaveUp = false;
    WhenShown([] { return QApplication::activeModalWidget(); }, [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            w->close();
            return;
        }
        seen << box->windowTitle() << box->text();
        QVERIFY(box->icon() == QMessageBox::NoIcon);
        QVERIFY(box->standardButtons() == (QMessageBox::Yes | QMessageBox::No));
        QVERIFY(box->parentWidget() == m_dlg.get());
        QTest::mouseClick(box->button(answer), Qt::LeftButton);
    }, &gaveUp);
    Edit(IDC_NUM)->setText(QStringLiteral("400"));
    QVERIFY(!gaveUp);
    QCOMPARE(seen, (QStringList{"Watch out", "Numbers larger than about 350 might REALLY slow things down. Sure?"}));
    QCOMPARE(Session().Particles().m_nCount, count);
    QCOMPARE(Edit(IDC_NUM)->text(), QString::number(count));
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
    Edit(IDC_NUM)->setText(QString(40, QLatin1Char('9')));
    setrlimit(RLIMIT_AS, &saved);

    // Asked first (and answered Yes), then told; the box shows the count in use again.
    QCOMPARE(m_boxes.size(), size_t(2));
    QCOMPARE(m_boxes[1], QStringLiteral("There is not enough memory for 2147483647 particles."));
    QCOMPARE(Edit(IDC_NUM)->text(), QStringLiteral("67"));
    QCOMPARE(Session().Particles().m_nCount, 67);
}

void TestSwarmDlg::onePaintRequestIsOneFrameAndNoneWhileMinimised_data()
{
    QTest::addColumn<bool>("playNice");
    QTest::newRow("Play Nice down") << true;
    QTest::newRow("Play Nice up") << false;
}

void TestSwarmDlg::onePaintRequestIsOneFrameAndNoneWhileMinimised()
{
    QFETCH(bool, playNice);
    std::vector<std::chrono::milliseconds> pauses;
    m_dlg->SetSleep([&pauses](std::chrono::milliseconds pause) { pauses.push_back(pause); });
    const std::vector<std::chrono::milliseconds> oneFramesPauses(playNice ? 1 : 0, std::chrono::milliseconds(1));
    Button(IDC_PLAY_NICE)->setChecked(playNice);
    QVERIFY(ShowOnScreen(*m_dlg));
    QCoreApplication::processEvents();
    pauses.clear();
    const std::vector<float> expected = SteppedOnce(Session().Particles());
    SendPaint(m_dlg.get());
    // Showing the new picture must not come back as another frame.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(SameBits(Positions(Session().Particles()), expected));
    QCOMPARE(pauses, oneFramesPauses);
    // The dialog repainted only beneath a control (a blinking caret) is no frame.
    QPaintEvent beneathEdit(Edit(IDC_NUM)->geometry());
    QApplication::sendEvent(m_dlg.get(), &beneathEdit);
    QVERIFY(SameBits(Positions(Session().Particles()), expected));
    QCOMPARE(pauses, oneFramesPauses);

    // Minimised: neither a step nor a pause.
    m_dlg->showMinimized();
    QVERIFY(m_dlg->isMinimized());
    pauses.clear();
    SendPaint(m_dlg.get());
    SendPaint(m_dlg.get());
    QVERIFY(SameBits(Positions(Session().Particles()), expected));
    QVERIFY(pauses.empty());
    m_dlg->showNormal();
    QCoreApplication::processEvents();
    pauses.clear();
    SendPaint(m_dlg.get());
    QVERIFY(!SameBits(Positions(Session().Particles()), expected));
    QCOMPARE(pauses, oneFramesPauses);
    // Paused: a paint only draws, and leaves no pause either.
    m_dlg->OnSysCommand(IDM_PAUSE, 0);
    pauses.clear();
    SendPaint(m_dlg.get());
    QVERIFY(pauses.empty());
}

void TestSwarmDlg::hoveredAndDraggedParticlesAreHighlighted()
{
    // The picture itself is the renderer's (tested with it); here, the session's
    // hovered and dragged particles reach it.
    QVERIFY(ShowForPointer());
    QVERIFY(PlaceParticles(*m_dlg, {{5, 5}, {2.5f, 7.5f}, {0, 0}}));
    QTest::mouseMove(Window(), At(2.5f, 7.5f));
    m_dlg->Render();
    QImage shown = CanvasPicture(*m_dlg);
    QCOMPARE(shown.size(), QSize(400, 300));
    QCOMPARE(shown.pixel(199, 149), kWhite); // (5, 5): a plain disc
    QCOMPARE(shown.pixel(102, 77), kGrey);   // (2.5, 7.5), hovered: grey with a white outline
    QCOMPARE(shown.pixel(97, 77), kWhite);
    QCOMPARE(shown.pixel(5, 293), kWhite);   // (0, 0), plain
    // Dragged away from the pointer's place over another particle, it stays highlighted.
    QTest::mouseMove(Window(), At(0, 0));
    QTest::mousePress(Window(), Qt::LeftButton, {}, At(0, 0));
    QTest::mouseMove(Window(), At(5, 5));
    m_dlg->Render();
    shown = CanvasPicture(*m_dlg);
    QCOMPARE(shown.pixel(5, 293), kGrey);
    QCOMPARE(shown.pixel(5, 298), kWhite);
    QCOMPARE(shown.pixel(102, 77), kWhite);
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, At(5, 5));
}

void TestSwarmDlg::resizeRebuildsBufferAndMovesControls()
{
    QVERIFY(ShowOnScreen(*m_dlg));
    // The saved picture is the back buffer as it is.
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("buffer.png"));
    m_dlg->SetFileDialogRunner([&picture](const FileDialogRequest&) { return picture; });
    const auto bufferSize = [&] {
        SendPaint(m_dlg.get());
        m_dlg->OnSavePicture();
        return QImage(picture).size();
    };
    const QSize client = Canvas(*m_dlg)->ClientSize();
    QCOMPARE(bufferSize(), client);
    // Every control of the column on the right, each at its own place.
    std::vector<std::pair<QWidget*, QRect>> column;
    for (const DialogItem& item : kSwarmDialogItems)
        if (item.id != IDC_CANVAS)
            column.emplace_back(GetDlgItem(m_dlg.get(), item.id), GetDlgItem(m_dlg.get(), item.id)->geometry());
    QCOMPARE(column.size(), size_t(13));

    for (const QSize& grow : {QSize(40, 30), QSize(0, 0)}) {
        m_dlg->resize(m_dlg->size() + grow - (Canvas(*m_dlg)->ClientSize() - client));
        QTRY_COMPARE(Canvas(*m_dlg)->ClientSize(), client + grow);
        for (const auto& [control, place] : column)
            QVERIFY2(control->geometry() == place.translated(grow.width(), 0), qPrintable(control->objectName()));
        QCOMPARE(bufferSize(), client + grow);
    }
    QVERIFY(m_boxes.empty());

    // A canvas larger than the screen gets a buffer of the screen's size.
    m_dlg->resize(32767, 32767);
    QTRY_VERIFY(Canvas(*m_dlg)->ClientSize().height() > 30000);
    QCOMPARE(bufferSize(), m_dlg->screen()->geometry().size());
}

void TestSwarmDlg::canvasPaintsEveryDevicePixelOfItsFrame()
{
    // Nothing behind the canvas is painted: a pixel it left would keep whatever the
    // screen showed there before a resize.
    SwarmCanvas canvas(nullptr);
    canvas.resize(60, 40);
    for (const double ratio : {1.0, 1.25, 1.5, 2.0}) {
        QImage image(QSize(60, 40) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::magenta);
        canvas.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(image.pixel(x, y) != QColor(Qt::magenta).rgb(),
                         qPrintable(QStringLiteral("(%1, %2) at ratio %3").arg(x).arg(y).arg(ratio)));
    }
}

void TestSwarmDlg::textsFitTheirControlsAndNoControlsOverlap()
{
    // At the start size, with every preset's texts in the boxes.
    QVERIFY(ShowOnScreen(*m_dlg));
    for (int preset = 0; preset < kPresetCount; ++preset) {
        for (const DialogItem& item : kSwarmDialogItems) {
            QWidget* control = GetDlgItem(m_dlg.get(), item.id);
            QVERIFY2(TextFits(control), qPrintable(QStringLiteral("%1 in preset %2").arg(control->objectName()).arg(preset)));
        }
        Button(IDC_PRESET_NEXT)->click();
    }
    QCOMPARE(MisplacedControl(*m_dlg), QString());
    // A window first shown at the smallest size it allows, shorter than the start,
    // as a small screen has it.
    CSwarmDlg small;
    small.Create();
    small.resize(1, 1);
    QVERIFY(ShowOnScreen(small));
    QCOMPARE(small.size(), small.minimumSize());
    QVERIFY(small.height() < m_dlg->height());
    QCOMPARE(MisplacedControl(small), QString());
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
    const bool playNice = Button(IDC_PLAY_NICE)->isChecked();

    bool gaveUp = false, aboutOpened = false;
    if (about)
        WhenShown([] { return QApplication::activeModalWidget(); }, [&](QWidget* box) {
            aboutOpened = dynamic_cast<CAboutDlg*>(box) != nullptr;
            box->close();
        }, &gaveUp);
    QTest::keyClick(Window(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QVERIFY(!gaveUp);
    QCOMPARE(aboutOpened, about);
    QCOMPARE(Session().Preset(), preset);
    QCOMPARE(Button(IDC_PLAY_NICE)->isChecked(), playNice != toggled);
    QCOMPARE(m_dlg->isVisible(), visible);
    // Enter makes no button the default, wherever the focus is.
    for (const QPushButton* button : m_dlg->findChildren<QPushButton*>())
        QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
}

void TestSwarmDlg::pointerReachesTheSessionThroughTheCanvasWhereverItIs()
{
    QVERIFY(ShowForPointer());
    QVERIFY(PlaceParticles(*m_dlg, {{5.0f, 5.0f}}));
    // A plain move over the canvas, no button, reaches the dialog and is mapped from
    // the canvas's own pixels (the mapping itself is tested with its rules).
    QTest::mouseMove(Window(), DialogPointOfPixel(*m_dlg, 200, 150));
    QCOMPARE(Session().MouseX(), 5.0632911f);
    QCOMPARE(Session().MouseY(), 4.9152541f);
    QCOMPARE(Session().Hover(), 0);

    // Held, then moved above and left of the window or over the button right of
    // the canvas: the moves still come to the dialog, mapped outside the box; the
    // release there ends the drag and clicks nothing.
    QPushButton* next = Button(IDC_PRESET_NEXT);
    for (const QPoint& where : {QPoint(-40, -30), next->mapTo(m_dlg.get(), next->rect().center())}) {
        QTest::mouseMove(Window(), At(5.0f, 5.0f));
        QTest::mousePress(Window(), Qt::LeftButton, {}, At(5.0f, 5.0f));
        QCOMPARE(Session().Drag(), 0);
        QTest::mouseMove(Window(), where);
        QCOMPARE(Session().Drag(), 0);
        QVERIFY(where.x() < 0 ? Session().MouseX() < 0.0f && Session().MouseY() > 10.0f : Session().MouseX() > 10.0f);
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, where);
        QCOMPARE(Session().Drag(), -1);
        QCOMPARE(Session().Preset(), 0);
        QVERIFY(PlaceParticles(*m_dlg, {{5.0f, 5.0f}}));
    }
}

QTEST_MAIN(TestSwarmDlg)
#include "tst_swarmdlg.moc"
