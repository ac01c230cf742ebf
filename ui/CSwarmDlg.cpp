// SPDX-License-Identifier: MIT
#include "CSwarmDlg.h"

#include "AccessibleNames.h"
#include "DialogAnchors.h"
#include "CAboutDlg.h"
#include "DialogTemplate.h"
#include "EnterOnButton.h"
#include "PointerMath.h"
#include "RunStateDisplay.h"
#include "SwarmCanvas.h"
#include "SwarmParams.h"
#include "SwarmRenderer.h"
#include "TemplateBuilder.h"
#include "WindowMenu.h"
#include "WindowTexts.h"

#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

CSwarmDlg::CSwarmDlg(QWidget* parent)
    : QDialog(parent)
    , m_sleep([](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); })
{
    SetMessageBoxRunner([](QMessageBox& box) { return box.exec(); });
    SetFileDialogRunner([this](const FileDialogRequest& request) { return RunFileDialog(this, request); });
    m_layout.Init(256);
    m_hIcon = LoadAppIcon();
}

void CSwarmDlg::SetMessageBoxRunner(std::function<int(QMessageBox&)> run)
{
    // A program that is ending waits for nobody: a message goes to stderr, and a
    // question is answered No.
    m_runMessageBox = [this, run = std::move(run)](QMessageBox& box) {
        if (!m_bEnding)
            return run(box);
        if (box.icon() == QMessageBox::Warning || box.icon() == QMessageBox::Information)
            std::fprintf(stderr, "driftmote: %s\n", box.text().toLocal8Bit().constData());
        return int(QMessageBox::No);
    };
}

void CSwarmDlg::SetFileDialogRunner(std::function<QString(const FileDialogRequest&)> run)
{
    m_runFileDialog = [this, run = std::move(run)](const FileDialogRequest& request) {
        return m_bEnding ? QString() : run(request);
    };
}

CSwarmDlg::~CSwarmDlg()
{
    if (m_canvas)
        m_canvas->ShowBuffer(nullptr);
    m_backBuffer = CanvasBuffer();
    m_layout.Free();
}

void CSwarmDlg::Create()
{
    BuildDialog(*this, kSwarmDialog);
    ApplyAccessibleNames(*this);
    DoDataExchange();
    OnInitDialog();
}

void CSwarmDlg::DoDataExchange()
{
    m_editNum = Edit(ParamBox::Num);
    m_btnPlayNice = qobject_cast<QPushButton*>(GetDlgItem(this, IDC_PLAY_NICE));
    m_canvas = static_cast<SwarmCanvas*>(GetDlgItem(this, IDC_CANVAS));

    connect(m_editNum, &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeNum);
    connect(Edit(ParamBox::Attraction), &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeAttraction);
    connect(Edit(ParamBox::Repulsion), &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeRepulsion);
    connect(Edit(ParamBox::Friction), &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeFriction);
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, IDC_PRESET_PREV)), &QPushButton::clicked, this,
            &CSwarmDlg::OnPresetPrev);
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, IDC_PRESET_NEXT)), &QPushButton::clicked, this,
            &CSwarmDlg::OnPresetNext);
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, IDC_CREDIT)), &QPushButton::clicked, this,
            &CSwarmDlg::OnCredit);
}

void CSwarmDlg::OnInitDialog()
{
    // The window menu, with its About entry, opens on a right click anywhere on the
    // dialog and on Alt+Space where the desktop passes that key on.
    auto* windowMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(windowMenuKey, &QShortcut::activated, this, [this] { ShowWindowMenu(mapToGlobal(QPoint(0, 0))); });
    setWindowIcon(m_hIcon);
    // Moves without a button pressed reach the dialog too.
    setMouseTracking(true);
    // A snapshot file dropped on the window opens.
    setAcceptDrops(true);
    CreateMenuActions();

    for (const ControlAnchor& anchor : kSwarmAnchors)
        m_layout.Add(m_windows, WidgetLayoutWindows::HandleOf(GetDlgItem(this, anchor.id)), anchor.flags);
    SetMinimumSizeFromTemplate();
    // The template's size is where the layout starts, whatever size the window
    // first shows at.
    OnSize(width(), height());

    m_nDotSize = kDotSize;
    m_btnPlayNice->setChecked(true);
    m_session.m_confirmLargeCount = [this](int) { return ConfirmLargeCount(); };
    m_session.m_shouldStop = [this] { return PollWhileBusy(); };
    m_session.Start();
    ShowSessionTexts();
    ShowRunState();
    FocusCountWithTextSelected();
}

void CSwarmDlg::SetMinimumSizeFromTemplate()
{
    // The controls are at their template places, in a client area of the template's size.
    const QRect credit = GetDlgItem(this, IDC_CREDIT)->geometry();
    const QRect playNice = GetDlgItem(this, IDC_PLAY_NICE)->geometry();
    m_foot[0] = {credit.top(), credit.height()};
    m_foot[1] = {playNice.top(), playNice.height()};
    m_nFootGap = height() - (playNice.bottom() + 1);
    int above = 0; // the bottom of the column's part that does not move
    for (const ControlAnchor& anchor : kSwarmAnchors)
        if (anchor.id != IDC_CANVAS && anchor.id != IDC_CREDIT && anchor.id != IDC_PLAY_NICE)
            above = std::max(above, GetDlgItem(this, anchor.id)->geometry().bottom() + 1);
    // As short as the column allows, and wide enough for a square canvas of the
    // height that leaves.
    const int minHeight = ColumnFootMinimumHeight(m_foot, kFootControls, above, m_nFootGap);
    const QRect canvas = m_canvas->geometry();
    const int minCanvas = canvas.height() - (height() - minHeight);
    setMinimumSize(width() - (canvas.width() - minCanvas), minHeight);
}

void CSwarmDlg::FocusCountWithTextSelected()
{
    // The first edit box in the keyboard order starts with the focus and its text
    // selected, so the first keystroke replaces the count instead of adding to it.
    m_editNum->setFocus(Qt::TabFocusReason);
    m_editNum->selectAll();
}

QLineEdit* CSwarmDlg::Edit(ParamBox box) const
{
    return qobject_cast<QLineEdit*>(GetDlgItem(this, kParamBoxIds[static_cast<int>(box)]));
}

void CSwarmDlg::ShowSessionTexts()
{
    for (int i = 0; i < kParamBoxCount; ++i) {
        QLineEdit* edit = Edit(static_cast<ParamBox>(i));
        const QString text = QString::fromStdString(m_session.Text(static_cast<ParamBox>(i)));
        // Setting the same text again would only lose the caret's place.
        if (edit->text() == text)
            continue;
        const QSignalBlocker quiet(edit);
        const bool allSelected = !edit->text().isEmpty() && edit->selectedText() == edit->text();
        edit->setText(text);
        if (allSelected)
            edit->selectAll();
    }
}

void CSwarmDlg::TypeBox(ParamBox box)
{
    const std::string text = Edit(box)->text().toStdString();
    const SessionResult result = m_session.TypeText(box, text);
    ShowSession();
    if (result == SessionResult::NoMemory)
        ShowNoMemory(CountFromText(text));
    CloseIfRequested();
}

void CSwarmDlg::ShowSession()
{
    ShowSessionTexts();
    ShowRunState();
    RepaintIfPaused();
}

void CSwarmDlg::ShowRunState()
{
    ::ShowRunState(*this, *m_canvas, m_session.Particles().m_nCount, m_session.Paused(), IsRecording());
}

void CSwarmDlg::OnChangeNum()
{
    TypeBox(ParamBox::Num);
}

bool CSwarmDlg::ConfirmLargeCount()
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kConfirmCountCaption), QString::fromUtf8(kConfirmCountText),
                    QMessageBox::Yes | QMessageBox::No, this);
    return m_runMessageBox(box) == QMessageBox::Yes;
}

void CSwarmDlg::ShowNoMemory(int count)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kMessageCaption), QString::fromStdString(NoMemoryText(count)),
                    QMessageBox::Ok, this);
    m_runMessageBox(box);
}

void CSwarmDlg::OnChangeAttraction()
{
    TypeBox(ParamBox::Attraction);
}

void CSwarmDlg::OnChangeRepulsion()
{
    TypeBox(ParamBox::Repulsion);
}

void CSwarmDlg::OnChangeFriction()
{
    TypeBox(ParamBox::Friction);
}

void CSwarmDlg::OnPresetPrev()
{
    m_session.PresetPrev();
    ShowSession();
    CloseIfRequested();
}

void CSwarmDlg::OnPresetNext()
{
    m_session.PresetNext();
    ShowSession();
    CloseIfRequested();
}

void CSwarmDlg::accept()
{
    OnOK();
}

void CSwarmDlg::reject()
{
    OnCancel();
}

void CSwarmDlg::OnOK()
{
    // Enter leaves the window as it is: only the focused control acts on it.
}

void CSwarmDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter clicks the focused push button; with the focus elsewhere it does nothing,
    // as the dialog has no default button. Escape still ends in OnCancel.
    if (IsEnterKey(*event) && ClickFocusedButton(focusWidget()))
        return;
    QDialog::keyPressEvent(event);
}

void CSwarmDlg::OnCancel()
{
    StopRecording(RecordingStop::Closed);
    m_bEnding = true;
    // Ends every loop that runs, a box's own among them, not only the main one.
    QCoreApplication::exit(m_nExitCode);
    QDialog::reject();
}

void CSwarmDlg::RequestClose(int exitCode)
{
    if (m_bBusy) {
        m_nCloseCode = exitCode;
        return;
    }
    m_nExitCode = exitCode;
    m_bEnding = true;
    // As the close box: the dialog is cancelled, also when it no longer shows.
    if (isVisible())
        close();
    else
        OnCancel();
}

void CSwarmDlg::CloseIfRequested()
{
    if (m_nCloseCode < 0 || m_bBusy)
        return;
    const int exitCode = m_nCloseCode;
    m_nCloseCode = -1;
    RequestClose(exitCode);
}

bool CSwarmDlg::PollWhileBusy()
{
    // A few looks a second keep a close request within a second, at little cost.
    constexpr int kPollEveryMs = 50;
    if (m_bBusy || (m_pollClock.isValid() && m_pollClock.elapsed() < kPollEveryMs))
        return m_nCloseCode >= 0;
    m_pollClock.start();
    m_bBusy = true;
    qApp->installEventFilter(this);
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    m_bBusy = false;
    return m_nCloseCode >= 0;
}

bool CSwarmDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_bBusy)
        return QDialog::eventFilter(watched, event);
    // During long work the window takes no input: only a request to end counts.
    switch (event->type()) {
    case QEvent::Close:
        if (watched == this) {
            m_nCloseCode = 0;
            event->ignore();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_nCloseCode = 0;
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void CSwarmDlg::paintEvent(QPaintEvent* event)
{
    // The toolkit also repaints the dialog beneath a control that redraws itself
    // (a blinking caret, a hovered button); that is not a frame.
    if ((event->region() - childrenRegion()).isEmpty())
        return;
    OnPaint();
}

void CSwarmDlg::OnPaint()
{
    if (isMinimized()) {
        // Only a paint from the window system may draw on the window itself.
        if (testAttribute(Qt::WA_WState_InPaintEvent)) {
            QPainter painter(this);
            constexpr int kIconSize = 32;
            painter.drawPixmap((width() - kIconSize + 1) / 2, (height() - kIconSize + 1) / 2,
                               m_hIcon.pixmap(kIconSize, kIconSize));
        }
        return;
    }
    // A frame inside long work would step the particles that the work is changing.
    if (m_bBusy)
        return;
    m_session.Frame();
    Render();
    // A paused window draws only when asked to, and has nothing to leave room for.
    if (!m_session.Paused() && m_btnPlayNice->isChecked())
        m_sleep(std::chrono::milliseconds(1));
    CloseIfRequested();
}

void CSwarmDlg::RepaintIfPaused()
{
    if (m_session.Paused())
        update();
}

void CSwarmDlg::Render()
{
    if (!m_canvas->BufferFits(m_backBuffer)) {
        // Device pixels, rebuilt for a new size and for a screen of another ratio.
        m_backBuffer = CanvasBuffer(); // the old buffer goes before the new one is made
        m_backBuffer = m_canvas->MakeBuffer();
    }
    if (m_backBuffer.IsNull()) {
        m_canvas->ShowBuffer(nullptr);
        return;
    }

    const ParticleSystem& particles = m_session.Particles();
    RenderSwarm(m_backBuffer.Pixels(), m_canvas->View(), particles.m_pCur, particles.m_nCount, m_session.Hover(),
                m_session.Drag(), m_nDotSize);
    m_canvas->ShowBuffer(&m_backBuffer.Image());
    // A recording takes the new picture if its 60th of a second has none yet.
    OfferRecordingPicture();
}

void CSwarmDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    OnSize(event->size().width(), event->size().height());
}

void CSwarmDlg::OnSize(int cx, int cy)
{
    if (!m_canvas)
        return;
    m_layout.Apply(m_windows, WidgetLayoutWindows::HandleOf(this), cx, cy);
    // Shorter than the template, the credit button and Play Nice rise into view.
    int tops[kFootControls];
    FitColumnFoot(m_foot, kFootControls, height(), m_nFootGap, tops);
    for (int i = 0; i < kFootControls; ++i) {
        QWidget* control = GetDlgItem(this, i == 0 ? IDC_CREDIT : IDC_PLAY_NICE);
        if (control->y() != tops[i])
            control->move(control->x(), tops[i]);
    }
}

void CSwarmDlg::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(event->buttons(), event->position().toPoint(), event->timestamp());
    RepaintIfPaused();
    QDialog::mouseMoveEvent(event);
}

void CSwarmDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->buttons(), event->position().toPoint());
    RepaintIfPaused();
    QDialog::mousePressEvent(event);
}

void CSwarmDlg::mouseReleaseEvent(QMouseEvent* event)
{
    // The release comes to the dialog wherever the pointer is, as long as the
    // press was on the dialog: a release anywhere ends the drag.
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(event->buttons(), event->position().toPoint(), event->timestamp());
    RepaintIfPaused();
    QDialog::mouseReleaseEvent(event);
}

void CSwarmDlg::OnMouseMove(Qt::MouseButtons buttons, const QPoint& point, quint64 timeMs)
{
    const QPoint pixel = m_canvas->ClientFromDialog(point);
    const QSize client = m_canvas->ClientSize();
    const PointerScale scale = PointerScaleFor(client.width(), client.height(), m_nDotSize);
    // A canvas whose pointer scale would be infinite keeps the last position.
    float x = m_session.MouseX();
    float y = m_session.MouseY();
    MapPointer(scale, pixel.x(), pixel.y(), x, y);
    m_session.PointerMove(x, y, (buttons & Qt::LeftButton) != 0, scale.pickRadius, static_cast<double>(timeMs));
}

void CSwarmDlg::OnLButtonDown(Qt::MouseButtons, const QPoint&)
{
    m_session.PointerPress();
}

void CSwarmDlg::OnLButtonUp(Qt::MouseButtons, const QPoint&, quint64 timeMs)
{
    m_session.PointerRelease(static_cast<double>(timeMs));
}

void CSwarmDlg::contextMenuEvent(QContextMenuEvent* event)
{
    ShowWindowMenu(event->globalPos());
}

void CSwarmDlg::CreateMenuActions()
{
    // One action per entry, kept on the dialog so that the shortcuts work while
    // the menu is closed; the menu shows the same actions.
    for (const WindowMenuItem& item : kWindowMenu) {
        if (IsSeparator(item)) {
            m_menuActions.push_back(nullptr);
            continue;
        }
        auto* action = new QAction(QString::fromUtf8(item.text), this);
        action->setData(item.id);
        action->setCheckable(item.checkable);
        if (item.shortcut)
            action->setShortcut(QKeySequence(QString::fromUtf8(item.shortcut), QKeySequence::PortableText));
        const unsigned id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnSysCommand(id, 0); });
        addAction(action);
        m_menuActions.push_back(action);
    }
    UpdateMenuActions();
}

void CSwarmDlg::UpdateMenuActions()
{
    for (QAction* action : m_menuActions) {
        if (!action)
            continue;
        const unsigned id = action->data().toUInt();
        action->setEnabled(IsWindowCommandEnabled(id, isMinimized(), isMaximized(), m_session.Paused()) &&
                           (id != IDM_RECORD_VIDEO || CanRecordVideo()));
        if (action->isCheckable())
            action->setChecked(id == IDM_RECORD_VIDEO ? IsRecording() : m_session.Paused());
    }
}

void CSwarmDlg::ShowWindowMenu(const QPoint& globalPos)
{
    UpdateMenuActions();
    QMenu menu(this);
    for (QAction* action : m_menuActions) {
        if (action)
            menu.addAction(action);
        else
            menu.addSeparator();
    }
    // The chosen action runs its command itself.
    menu.exec(globalPos);
}

void CSwarmDlg::OnSysCommand(unsigned nID, qintptr)
{
    switch (RouteSysCommand(nID)) {
    case SysCommandAction::About: {
        CAboutDlg about(this);
        about.exec();
        break;
    }
    case SysCommandAction::Restore:
        showNormal();
        break;
    case SysCommandAction::Minimize:
        showMinimized();
        break;
    case SysCommandAction::Maximize:
        showMaximized();
        break;
    case SysCommandAction::Close:
        close(); // as the close box: the dialog is cancelled
        break;
    case SysCommandAction::Pause:
        OnPause();
        break;
    case SysCommandAction::StepFrame:
        OnStepOneFrame();
        break;
    case SysCommandAction::SavePicture:
        OnSavePicture();
        break;
    case SysCommandAction::RecordVideo:
        OnRecordVideo();
        break;
    case SysCommandAction::SaveSnapshot:
        OnSaveSnapshot();
        break;
    case SysCommandAction::OpenSnapshot:
        OnOpenSnapshot();
        break;
    case SysCommandAction::None:
        break;
    }
}

void CSwarmDlg::OnPause()
{
    m_session.SetPaused(!m_session.Paused());
    UpdateMenuActions();
    ShowRunState();
    if (m_pauseChanged)
        m_pauseChanged(m_session.Paused());
}

void CSwarmDlg::OnStepOneFrame()
{
    if (isMinimized() || !m_session.StepOneFrame())
        return;
    Render();
}

void CSwarmDlg::OnCredit()
{
    CAboutDlg about(this);
    about.exec();
}
