// SPDX-License-Identifier: MIT
#include "CSwarmDlg.h"

#include "CAboutDlg.h"
#include "DialogAnchors.h"
#include "PointerMath.h"
#include "Resource.h"
#include "WideText.h"
#include "WindowMenu.h"
#include "WindowTexts.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

// A message cracker for a dialog procedure: the handler's result goes where the
// dialog manager reads it.
#define HANDLE_DLGMSG(hwnd, message, fn)                                                                               \
    case (message):                                                                                                    \
        return SetDlgMsgResult(hwnd, message, HANDLE_##message((hwnd), (wParam), (lParam), (fn)))

namespace {

// The commands the system's window menu already has.
constexpr unsigned kSystemCommands = 0xF000;

// The dots per inch of the window's screen; 96 is a ratio of 1.
UINT WindowDpi(HWND hwnd)
{
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi)
        if (const UINT dpi = getDpi(hwnd))
            return dpi;
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

std::wstring WindowTextOf(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetWindowTextIfChanged(HWND hwnd, const std::wstring& text)
{
    if (WindowTextOf(hwnd) != text)
        SetWindowTextW(hwnd, text.c_str());
}

// The time of the pointer message being handled, in milliseconds since the
// system started (it wraps after 49.7 days), for the session's fling.
double MessageTimeMs()
{
    return static_cast<double>(static_cast<DWORD>(GetMessageTime()));
}

} // namespace

CSwarmDlg::CSwarmDlg()
{
    m_layout.Init(256);
}

CSwarmDlg::~CSwarmDlg()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    m_backBuffer.Free();
    m_layout.Free();
    if (m_hIcon)
        DestroyIcon(m_hIcon);
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

HWND CSwarmDlg::Create(HINSTANCE instance)
{
    m_hInstance = instance;
    m_hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 32, 32, 0));
    m_hSmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_SWARM_DIALOG), nullptr, DialogProc,
                       reinterpret_cast<LPARAM>(this));
    return m_hWnd;
}

INT_PTR CALLBACK CSwarmDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<CSwarmDlg*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dlg->m_hWnd = hwnd;
    }
    auto* dlg = reinterpret_cast<CSwarmDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return dlg ? dlg->OnMessage(hwnd, message, wParam, lParam) : FALSE;
}

INT_PTR CSwarmDlg::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_DLGMSG(hwnd, WM_INITDIALOG, OnInitDialog);
        HANDLE_DLGMSG(hwnd, WM_SYSCOMMAND, OnSysCommand);
        HANDLE_DLGMSG(hwnd, WM_PAINT, OnPaint);
        HANDLE_DLGMSG(hwnd, WM_SIZE, OnSize);
        HANDLE_DLGMSG(hwnd, WM_MOUSEMOVE, OnMouseMove);
        HANDLE_DLGMSG(hwnd, WM_LBUTTONDOWN, OnLButtonDown);
        HANDLE_DLGMSG(hwnd, WM_LBUTTONUP, OnLButtonUp);
        HANDLE_DLGMSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_DLGMSG(hwnd, WM_CONTEXTMENU, OnContextMenu);
        HANDLE_DLGMSG(hwnd, WM_INITMENUPOPUP, OnInitMenuPopup);
        HANDLE_DLGMSG(hwnd, WM_DROPFILES, OnDropFiles);
        HANDLE_DLGMSG(hwnd, WM_CLOSE, OnClose);
        HANDLE_DLGMSG(hwnd, WM_NCDESTROY, OnNcDestroy);
    case WM_QUERYDRAGICON: // the icon is the procedure's result, too wide for the cracker's cast
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon(hwnd));
    case WM_DPICHANGED:
        OnDpiChanged(hwnd, *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CSwarmDlg::OnInitDialog(HWND hwnd, HWND, LPARAM)
{
    m_editNum = Item(IDC_NUM);
    m_btnPlayNice = Item(IDC_PLAY_NICE);
    m_canvas = Item(IDC_CANVAS);
    SetWindowSubclass(m_canvas, CanvasProc, 0, reinterpret_cast<DWORD_PTR>(this));

    AddWindowMenuEntries();
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));
    // A snapshot file dropped on the window opens.
    DragAcceptFiles(hwnd, TRUE);

    for (const ControlAnchor& anchor : kSwarmAnchors)
        m_layout.Add(m_windows, HwndLayoutWindows::HandleOf(Item(anchor.id)), anchor.flags);
    // The first size notification may come before the controls are there: the
    // layout's baseline is the size the template laid them out in.
    if (m_layout.m_nLastWidth < 0)
        m_layout.Apply(m_windows, HwndLayoutWindows::HandleOf(hwnd), 0, 0);
    PlaceLabelsBeforeBoxes();

    m_nDotSize = kDotSize;
    Button_SetCheck(m_btnPlayNice, BST_CHECKED);
    m_session.m_confirmLargeCount = [this](int) { return ConfirmLargeCount(); };
    m_session.m_shouldStop = [this] { return PollWhileBusy(); };
    m_session.Start();
    ShowSessionTexts();
    ShowRunState();
    // The count box starts with the focus and its text selected, so the first
    // keystroke replaces the count instead of adding to it.
    SetFocus(m_editNum);
    Edit_SetSel(m_editNum, 0, -1);
    return FALSE;
}

void CSwarmDlg::PlaceLabelsBeforeBoxes()
{
    for (int i = 0; i < kAccessibleTextCount; ++i) {
        const AccessibleText& text = kAccessibleTexts[i];
        if (!text.labelOf)
            continue;
        // The label goes just before its box in the Z order; labels take no keys,
        // so the keyboard order of the boxes and buttons stays the template's.
        const HWND label = Item(text.id);
        const HWND before = GetWindow(Item(text.labelOf), GW_HWNDPREV);
        SetWindowPos(label, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

HWND CSwarmDlg::Edit(ParamBox box) const
{
    return Item(kParamBoxIds[static_cast<int>(box)]);
}

void CSwarmDlg::ShowSessionTexts()
{
    m_bShowingTexts = true;
    for (int i = 0; i < kParamBoxCount; ++i) {
        const HWND edit = Edit(static_cast<ParamBox>(i));
        const std::wstring text = WideFromUtf8(m_session.Text(static_cast<ParamBox>(i)));
        const std::wstring old = WindowTextOf(edit);
        // Setting the same text again would only lose the caret's place.
        if (old == text)
            continue;
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const bool allSelected = !old.empty() && start == 0 && end == old.size();
        SetWindowTextW(edit, text.c_str());
        if (allSelected)
            Edit_SetSel(edit, 0, -1);
    }
    m_bShowingTexts = false;
}

void CSwarmDlg::ShowRunState()
{
    SetWindowTextIfChanged(m_hWnd, WideFromUtf8(RunStateTitle(m_session.Paused(), false)));
    // A screen reader reads the canvas's window text: its name and what it shows.
    const std::string name = kAccessibleTexts[0].name;
    SetWindowTextIfChanged(m_canvas, WideFromUtf8(name + ": " +
                                                   CanvasDescription(m_session.Particles().m_nCount,
                                                                     m_session.Paused())));
}

void CSwarmDlg::ShowSession()
{
    ShowSessionTexts();
    ShowRunState();
    RepaintIfPaused();
}

void CSwarmDlg::RepaintIfPaused()
{
    // While paused nothing else draws a frame: a change that shows asks for one.
    if (m_session.Paused())
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CSwarmDlg::TypeBox(ParamBox box)
{
    if (m_bShowingTexts)
        return;
    const std::string text = Utf8FromWide(WindowTextOf(Edit(box)));
    const SessionResult result = m_session.TypeText(box, text);
    ShowSession();
    if (result == SessionResult::NoMemory)
        ShowMessage(NoMemoryText(CountFromText(text)), kMessageCaption, MB_OK | MB_ICONWARNING);
    CloseIfRequested();
}

bool CSwarmDlg::ConfirmLargeCount()
{
    return ShowMessage(kConfirmCountText, kConfirmCountCaption, MB_YESNO) == IDYES;
}

int CSwarmDlg::ShowMessage(const std::string& text, const char* caption, UINT flags)
{
    return MessageBoxW(m_hWnd, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), flags);
}

void CSwarmDlg::OnChangeNum()
{
    TypeBox(ParamBox::Num);
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

void CSwarmDlg::OnCommand(HWND, int id, HWND, UINT code)
{
    switch (id) {
    case IDC_NUM:
        if (code == EN_CHANGE)
            OnChangeNum();
        return;
    case IDC_ATTRACTION:
        if (code == EN_CHANGE)
            OnChangeAttraction();
        return;
    case IDC_REPULSION:
        if (code == EN_CHANGE)
            OnChangeRepulsion();
        return;
    case IDC_FRICTION:
        if (code == EN_CHANGE)
            OnChangeFriction();
        return;
    case IDC_CREDIT:
        if (code == BN_CLICKED)
            OnCredit();
        return;
    case IDC_PRESET_PREV:
        if (code == BN_CLICKED)
            OnPresetPrev();
        return;
    case IDC_PRESET_NEXT:
        if (code == BN_CLICKED)
            OnPresetNext();
        return;
    case IDOK:
        OnOK();
        return;
    case IDCANCEL:
        OnCancel();
        return;
    default:
        // A shortcut of the window menu comes as a command from an accelerator.
        if (code == 1)
            OnSysCommand(m_hWnd, static_cast<UINT>(id), 0, 0);
        return;
    }
}

void CSwarmDlg::OnOK()
{
    // Enter with the focus on a box leaves the window as it is; on a push button
    // the dialog manager has already clicked it.
}

void CSwarmDlg::OnCancel()
{
    PostQuitMessage(0);
    ShowWindow(m_hWnd, SW_HIDE);
}

void CSwarmDlg::OnClose(HWND)
{
    // During long work the close box is a request to end, taken when the work looks.
    if (m_bBusy) {
        m_nCloseCode = 0;
        return;
    }
    OnCancel();
}

void CSwarmDlg::CloseIfRequested()
{
    if (m_nCloseCode < 0 || m_bBusy)
        return;
    m_nCloseCode = -1;
    OnCancel();
}

bool CSwarmDlg::PollWhileBusy()
{
    // A few looks a second keep a request to end within a second, at little cost.
    constexpr ULONGLONG kPollEveryMs = 50;
    const ULONGLONG now = GetTickCount64();
    if (m_bBusy || now - m_nLastPoll < kPollEveryMs)
        return m_nCloseCode >= 0;
    m_nLastPoll = now;
    m_bBusy = true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // The window takes no input meanwhile: only Escape, and the close box
        // through the frame's own messages, count.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            m_nCloseCode = 0;
            continue;
        }
        if ((msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
            (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) || msg.message == WM_DROPFILES)
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    m_bBusy = false;
    return m_nCloseCode >= 0;
}

bool CSwarmDlg::RunsFrames() const
{
    return m_hWnd && IsWindowVisible(m_hWnd) && !IsIconic(m_hWnd) && !m_session.Paused();
}

bool CSwarmDlg::PreTranslateMessage(MSG& message)
{
    static const HACCEL accelerators = LoadAcceleratorsW(m_hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!m_hWnd)
        return false;
    return (accelerators && TranslateAcceleratorW(m_hWnd, accelerators, &message)) ||
           IsDialogMessageW(m_hWnd, &message);
}

void CSwarmDlg::OnPaint(HWND hwnd)
{
    PAINTSTRUCT paint;
    if (IsIconic(hwnd)) {
        const HDC dc = BeginPaint(hwnd, &paint);
        SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        GetClientRect(hwnd, &client);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_hIcon);
        EndPaint(hwnd, &paint);
        return;
    }
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    // A frame inside long work would step the particles that the work is changing.
    if (m_bBusy)
        return;
    m_session.Frame();
    Render();
    // A paused window draws only when asked to, and has nothing to leave room for.
    if (!m_session.Paused() && (Button_GetCheck(m_btnPlayNice) & (BST_CHECKED | BST_INDETERMINATE)))
        Sleep(1);
    CloseIfRequested();
}

CanvasView CSwarmDlg::View() const
{
    RECT client;
    GetClientRect(m_canvas, &client);
    const double ratio = WindowDpi(m_hWnd) / 96.0;
    return {static_cast<int>(std::lround(client.right / ratio)), static_cast<int>(std::lround(client.bottom / ratio)),
            ratio};
}

void CSwarmDlg::Render()
{
    RECT client;
    GetClientRect(m_canvas, &client);
    // Device pixels, no larger than the screen: a larger canvas shows its top-left part.
    const int width = std::min<int>(client.right, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    const int height = std::min<int>(client.bottom, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    if (!m_backBuffer.Built() || m_bResized || m_backBuffer.Width() != width || m_backBuffer.Height() != height) {
        const HDC dc = GetDC(m_canvas);
        m_backBuffer.Rebuild(dc, width, height);
        ReleaseDC(m_canvas, dc);
        m_bResized = false;
    }
    if (!m_backBuffer.Built())
        return;
    PixelBuffer pixels{m_backBuffer.Width(), m_backBuffer.Height(), m_backBuffer.Width(), m_backBuffer.Pixels()};
    const ParticleSystem& particles = m_session.Particles();
    RenderSwarm(pixels, View(), particles.m_pCur, particles.m_nCount, m_session.Hover(), m_session.Drag(),
                m_nDotSize);
    const HDC dc = GetDC(m_canvas);
    m_backBuffer.CopyTo(dc);
    ReleaseDC(m_canvas, dc);
}

LRESULT CALLBACK CSwarmDlg::CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* dlg = reinterpret_cast<CSwarmDlg*>(data);
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the buffer covers every pixel
    case WM_PAINT: {
        // The last frame again; frames themselves come from the dialog.
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        if (dlg->m_backBuffer.Built())
            dlg->m_backBuffer.CopyTo(dc);
        else
            FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SETTEXT:
        // A static of no text style keeps no text of its own; the canvas's text is
        // its name for screen readers.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, CanvasProc, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void CSwarmDlg::OnSize(HWND hwnd, UINT, int cx, int cy)
{
    m_layout.Apply(m_windows, HwndLayoutWindows::HandleOf(hwnd), cx, cy);
    m_bResized = true;
}

void CSwarmDlg::OnDpiChanged(HWND hwnd, const RECT& suggested)
{
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_bResized = true;
}

void CSwarmDlg::OnMouseMove(HWND hwnd, int x, int y, UINT keyFlags)
{
    POINT pixel{x, y};
    MapWindowPoints(hwnd, m_canvas, &pixel, 1);
    const CanvasView view = View();
    const PointerScale scale = PointerScaleFor(view.width, view.height, m_nDotSize);
    // A canvas whose pointer scale would be infinite keeps the last position.
    float worldX = m_session.MouseX();
    float worldY = m_session.MouseY();
    MapPointer(scale, static_cast<int>(std::lround(pixel.x / view.ratio)),
               static_cast<int>(std::lround(pixel.y / view.ratio)), worldX, worldY);
    m_session.PointerMove(worldX, worldY, (keyFlags & MK_LBUTTON) != 0, scale.pickRadius, MessageTimeMs());
    RepaintIfPaused();
}

void CSwarmDlg::OnLButtonDown(HWND hwnd, BOOL, int, int, UINT)
{
    // The release comes to the dialog wherever the pointer is then.
    SetCapture(hwnd);
    m_session.PointerPress();
    RepaintIfPaused();
}

void CSwarmDlg::OnLButtonUp(HWND, int, int, UINT)
{
    ReleaseCapture();
    m_session.PointerRelease(MessageTimeMs());
    RepaintIfPaused();
}

HICON CSwarmDlg::OnQueryDragIcon(HWND)
{
    return m_hIcon;
}

void CSwarmDlg::AddWindowMenuEntries()
{
    const HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (!menu)
        return;
    wchar_t about[256] = {};
    LoadStringW(m_hInstance, IDS_ABOUTBOX, about, static_cast<int>(std::size(about)));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (const WindowMenuItem& item : kWindowMenu) {
        if (item.id >= kSystemCommands)
            continue; // the system's own entries are there already
        if (IsSeparator(item)) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring text = item.id == IDM_ABOUTBOX ? std::wstring(about) : WideFromUtf8(item.text);
        if (text.empty())
            continue;
        if (item.shortcut)
            text += L"\t" + WideFromUtf8(item.shortcut);
        AppendMenuW(menu, MF_STRING, item.id, text.c_str());
    }
    UpdateWindowMenu();
}

void CSwarmDlg::UpdateWindowMenu()
{
    const HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    for (const WindowMenuItem& item : kWindowMenu) {
        if (item.id >= kSystemCommands || IsSeparator(item))
            continue;
        // Videos need FFmpeg's libraries, which this build has not.
        const bool enabled = item.id != IDM_RECORD_VIDEO &&
                             IsWindowCommandEnabled(item.id, IsIconic(m_hWnd), IsZoomed(m_hWnd), m_session.Paused());
        EnableMenuItem(menu, item.id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        if (item.checkable)
            CheckMenuItem(menu, item.id,
                          MF_BYCOMMAND | (item.id == IDM_PAUSE && m_session.Paused() ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CSwarmDlg::OnInitMenuPopup(HWND hwnd, HMENU menu, UINT, BOOL)
{
    if (menu == GetSystemMenu(hwnd, FALSE))
        UpdateWindowMenu();
}

void CSwarmDlg::OnContextMenu(HWND hwnd, HWND, UINT x, UINT y)
{
    // The window menu opens on a right click anywhere on the dialog, as on its title.
    POINT at{static_cast<short>(LOWORD(x)), static_cast<short>(LOWORD(y))};
    if (x == 0xFFFFFFFFu) { // from the keyboard
        at = {0, 0};
        ClientToScreen(hwnd, &at);
    }
    UpdateWindowMenu();
    const UINT command = static_cast<UINT>(TrackPopupMenu(GetSystemMenu(hwnd, FALSE),
                                                          TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd,
                                                          nullptr));
    if (command)
        SendMessageW(hwnd, WM_SYSCOMMAND, command, 0);
}

void CSwarmDlg::OnSysCommand(HWND hwnd, UINT command, int x, int y)
{
    switch (RouteSysCommand(command)) {
    case SysCommandAction::About:
        CAboutDlg().DoModal(m_hInstance, hwnd);
        return;
    case SysCommandAction::Pause:
        OnPause();
        return;
    case SysCommandAction::StepFrame:
        OnStepOneFrame();
        return;
    case SysCommandAction::SavePicture:
        OnSavePicture();
        return;
    case SysCommandAction::RecordVideo:
        return; // greyed: this build records no videos
    case SysCommandAction::SaveSnapshot:
        OnSaveSnapshot();
        return;
    case SysCommandAction::OpenSnapshot:
        OnOpenSnapshot();
        return;
    case SysCommandAction::Restore:
    case SysCommandAction::Minimize:
    case SysCommandAction::Maximize:
    case SysCommandAction::Close:
    case SysCommandAction::None:
        break;
    }
    FORWARD_WM_SYSCOMMAND(hwnd, command, x, y, DefWindowProcW);
}

void CSwarmDlg::OnPause()
{
    m_session.SetPaused(!m_session.Paused());
    UpdateWindowMenu();
    ShowRunState();
}

void CSwarmDlg::OnStepOneFrame()
{
    if (IsIconic(m_hWnd) || !m_session.StepOneFrame())
        return;
    Render();
}

void CSwarmDlg::OnCredit()
{
    CAboutDlg().DoModal(m_hInstance, m_hWnd);
}

void CSwarmDlg::OnNcDestroy(HWND)
{
    m_hWnd = nullptr;
}
