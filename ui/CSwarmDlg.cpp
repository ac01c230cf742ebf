// SPDX-License-Identifier: MIT
#include "CSwarmDlg.h"

#include "CAboutDlg.h"
#include "DialogTemplate.h"
#include "DragRule.h"
#include "EnterOnButton.h"
#include "PointerMath.h"
#include "SwarmCanvas.h"
#include "SwarmParams.h"
#include "SwarmRenderer.h"
#include "TemplateBuilder.h"
#include "WindowMenu.h"

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

#include <chrono>
#include <string>
#include <thread>

namespace {

// Anchors of the controls: the canvas stretches, the column on the right follows
// the right edge.
struct Anchor {
    int id;
    int flags;
};
constexpr int kFollowRight = LAYOUT_MOVE_X | LAYOUT_SIZE_X;
constexpr Anchor kAnchors[] = {
    {IDC_CANVAS, LAYOUT_SIZE_X | LAYOUT_SIZE_Y},
    {IDC_NUM_LABEL, kFollowRight},
    {IDC_NUM, kFollowRight},
    {IDC_PLAY_NICE, kFollowRight},
    {IDC_ATTRACTION, kFollowRight},
    {IDC_ATTRACTION_LABEL, kFollowRight},
    {IDC_REPULSION, kFollowRight},
    {IDC_REPULSION_LABEL, kFollowRight},
    {IDC_FRICTION, kFollowRight},
    {IDC_FRICTION_LABEL, kFollowRight},
    {IDC_CREDIT, kFollowRight},
    {IDC_PRESET_PREV, kFollowRight},
    {IDC_PRESET_NEXT, kFollowRight},
    {IDC_PRESETS_LABEL, kFollowRight},
};

std::string EditText(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

} // namespace

CSwarmDlg::CSwarmDlg(QWidget* parent)
    : QDialog(parent)
    , m_runMessageBox([](QMessageBox& box) { return box.exec(); })
    , m_sleep([](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); })
    , m_runFileDialog([this](const FileDialogRequest& request) { return RunFileDialog(this, request); })
{
    m_layout.Init(256);
    m_hIcon = LoadAppIcon();
}

CSwarmDlg::~CSwarmDlg()
{
    if (m_canvas)
        m_canvas->ShowBuffer(nullptr);
    m_backBuffer = QImage();
    m_layout.Free();
    m_particles.SetCount(0);
}

void CSwarmDlg::Create()
{
    BuildDialog(*this, kSwarmDialog);
    DoDataExchange();
    OnInitDialog();
}

void CSwarmDlg::DoDataExchange()
{
    m_editNum = Edit(IDC_NUM);
    m_btnPlayNice = qobject_cast<QPushButton*>(GetDlgItem(this, IDC_PLAY_NICE));
    m_canvas = static_cast<SwarmCanvas*>(GetDlgItem(this, IDC_CANVAS));

    connect(m_editNum, &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeNum);
    connect(Edit(IDC_ATTRACTION), &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeAttraction);
    connect(Edit(IDC_REPULSION), &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeRepulsion);
    connect(Edit(IDC_FRICTION), &QLineEdit::textChanged, this, &CSwarmDlg::OnChangeFriction);
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

    for (const Anchor& anchor : kAnchors)
        m_layout.Add(m_windows, WidgetLayoutWindows::HandleOf(GetDlgItem(this, anchor.id)), anchor.flags);

    m_nHover = -1;
    m_nDrag = -1;
    m_nDotSize = kDotSize;
    m_nPreset = 0;
    m_btnPlayNice->setChecked(true);
    StartLikeTheWindow(m_particles, [this](ParamBox box, std::string_view text) { return TypeIntoBox(box, text); });
    FocusCountWithTextSelected();
}

void CSwarmDlg::FocusCountWithTextSelected()
{
    // The first edit box in the keyboard order starts with the focus and its text
    // selected, so the first keystroke replaces the count instead of adding to it.
    m_editNum->setFocus(Qt::TabFocusReason);
    m_editNum->selectAll();
}

QLineEdit* CSwarmDlg::Edit(int id) const
{
    return qobject_cast<QLineEdit*>(GetDlgItem(this, id));
}

void CSwarmDlg::SetEditText(QLineEdit* edit, const QString& text)
{
    // The edit signals a change only when the text differs; the handler must run either way.
    if (edit->text() == text)
        emit edit->textChanged(text);
    else
        edit->setText(text);
}

void CSwarmDlg::OnChangeNum()
{
    const int count = CountFromText(EditText(m_editNum));
    // The count already in use is not asked about again: declining a larger one puts
    // it back in the box, and asking then would leave no way to say No.
    if (count <= kConfirmCountAbove || count == m_particles.m_nCount || ConfirmLargeCount())
        SetParticleCount(count);
    else
        SetEditText(m_editNum, QString::number(m_particles.m_nCount));
}

bool CSwarmDlg::ConfirmLargeCount()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Watch out"),
                    QStringLiteral("Numbers larger than about 350 might REALLY slow things down. Sure?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    return m_runMessageBox(box) == QMessageBox::Yes;
}

void CSwarmDlg::SetParticleCount(int count)
{
    // No index may outlive the particles it pointed at.
    m_nHover = -1;
    m_nDrag = -1;
    RepaintIfPaused();
    if (ResizeAndScatter(m_particles, count))
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Driftmote"),
                    QStringLiteral("There is not enough memory for %1 particles.").arg(count), QMessageBox::Ok, this);
    m_runMessageBox(box);
}

void CSwarmDlg::OnChangeAttraction()
{
    ApplyText(m_particles, ParamBox::Attraction, EditText(Edit(IDC_ATTRACTION)));
}

void CSwarmDlg::OnChangeRepulsion()
{
    ApplyText(m_particles, ParamBox::Repulsion, EditText(Edit(IDC_REPULSION)));
}

void CSwarmDlg::OnChangeFriction()
{
    ApplyText(m_particles, ParamBox::Friction, EditText(Edit(IDC_FRICTION)));
}

void CSwarmDlg::OnPresetPrev()
{
    --m_nPreset;
    ApplyPreset();
}

void CSwarmDlg::OnPresetNext()
{
    ++m_nPreset;
    ApplyPreset();
}

void CSwarmDlg::ApplyPreset()
{
    m_nPreset = WrapPreset(m_nPreset);
    TypeRow(PresetRow(m_nPreset), [this](ParamBox box, std::string_view text) { return TypeIntoBox(box, text); });
}

bool CSwarmDlg::TypeIntoBox(ParamBox box, std::string_view text)
{
    static constexpr int kBoxIds[] = {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION};
    SetEditText(Edit(kBoxIds[static_cast<int>(box)]),
                QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
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
    QCoreApplication::exit(0);
    QDialog::reject();
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
    if (m_bPaused) {
        HoldDrag();
        Render();
        return;
    }
    StepAndDrag();
    Render();
    if (m_btnPlayNice->isChecked())
        m_sleep(std::chrono::milliseconds(1));
}

void CSwarmDlg::StepAndDrag()
{
    m_particles.Step();
    HoldDrag();
}

void CSwarmDlg::HoldDrag()
{
    if (m_nDrag < 0 || m_nDrag >= m_particles.m_nCount)
        return;
    HoldDragged(m_particles.m_pCur[m_nDrag], m_fMouseX, m_fMouseY, m_fGrabDX, m_fGrabDY);
}

void CSwarmDlg::RepaintIfPaused()
{
    if (m_bPaused)
        update();
}

void CSwarmDlg::Render()
{
    const QSize client = m_canvas->ClientSize();
    const int w0 = client.width();
    const int h0 = client.height();
    if (m_backBuffer.isNull() || m_bResized) {
        // One buffer pixel per canvas pixel; on a scaled screen the toolkit enlarges it.
        m_backBuffer = QImage(); // the old buffer goes before the new one is made
        if (w0 > 0 && h0 > 0)
            m_backBuffer = QImage(w0, h0, QImage::Format_RGB32);
        m_bResized = false;
    }
    if (m_backBuffer.isNull()) {
        m_canvas->ShowBuffer(nullptr);
        return;
    }

    RenderSwarm(m_backBuffer, m_particles.m_pCur, m_particles.m_nCount, m_nHover, m_nDrag, m_nDotSize);
    m_canvas->ShowBuffer(&m_backBuffer);
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
    m_bResized = true;
}

void CSwarmDlg::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(event->buttons(), event->position().toPoint());
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
        OnLButtonUp(event->buttons(), event->position().toPoint());
    RepaintIfPaused();
    QDialog::mouseReleaseEvent(event);
}

void CSwarmDlg::OnMouseMove(Qt::MouseButtons buttons, const QPoint& point)
{
    // A drag whose release went to another window (a menu that opened meanwhile)
    // ends at the first move without the button.
    if (m_nDrag != -1 && !(buttons & Qt::LeftButton))
        m_nDrag = -1;
    const QPoint pixel = m_canvas->ClientFromDialog(point);
    const QSize client = m_canvas->ClientSize();
    const PointerScale scale = PointerScaleFor(client.width(), client.height(), m_nDotSize);
    // A canvas whose pointer scale would be infinite keeps the last position.
    MapPointer(scale, pixel.x(), pixel.y(), m_fMouseX, m_fMouseY);
    m_nHover = HoverIndex(m_nDrag, m_particles.m_pCur, m_particles.m_nCount, m_fMouseX, m_fMouseY,
                          scale.pickRadius);
}

void CSwarmDlg::OnLButtonDown(Qt::MouseButtons, const QPoint&)
{
    // The grab works from the last move's position and hover, not the press's point.
    m_nDrag = IsParticleIndex(m_nHover, m_particles.m_nCount) ? m_nHover : -1;
    if (m_nDrag != -1)
        GrabOffset(m_particles.m_pCur[m_nDrag], m_fMouseX, m_fMouseY, m_fGrabDX, m_fGrabDY);
}

void CSwarmDlg::OnLButtonUp(Qt::MouseButtons, const QPoint&)
{
    // The highlight stays on the particle until the pointer moves.
    m_nDrag = -1;
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
        action->setEnabled(IsWindowCommandEnabled(id, isMinimized(), isMaximized(), m_bPaused) &&
                           (id != IDM_RECORD_VIDEO || CanRecordVideo()));
        if (action->isCheckable())
            action->setChecked(id == IDM_RECORD_VIDEO ? IsRecording() : m_bPaused);
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
    m_bPaused = !m_bPaused;
    UpdateMenuActions();
    if (m_pauseChanged)
        m_pauseChanged(m_bPaused);
}

void CSwarmDlg::OnStepOneFrame()
{
    if (!m_bPaused || isMinimized())
        return;
    StepAndDrag();
    Render();
}

void CSwarmDlg::OnCredit()
{
    CAboutDlg about(this);
    about.exec();
}
