// SPDX-License-Identifier: MIT
#pragma once

// The main window on Windows: a modeless dialog from the template IDD_SWARM_DIALOG
// with the canvas on which the particles drift and, down its right edge, the
// count and coefficient boxes, the Play Nice toggle, the preset arrows and the
// credit button. It owns the session; each message becomes a session call, and
// each frame draws the session's particles into a DIB section that one BitBlt
// puts on the canvas.

#include "BackBuffer.h"
#include "ControlLayout.h"
#include "HwndLayoutWindows.h"
#include "SwarmRenderer.h"
#include "SwarmSession.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

class CSwarmDlg {
public:
    CSwarmDlg();
    virtual ~CSwarmDlg();
    CSwarmDlg(const CSwarmDlg&) = delete;
    CSwarmDlg& operator=(const CSwarmDlg&) = delete;

    // Creates the dialog without an owner; OnInitDialog runs before it returns.
    HWND Create(HINSTANCE instance);
    HWND Window() const { return m_hWnd; }

    // Whether the frame loop should run frames: the window is there, not
    // minimised and not paused. Otherwise the loop rests until a message comes.
    bool RunsFrames() const;

    // Accelerators and the dialog's keys (Tab, Escape, Enter) for a message the
    // loop has taken; true when it was handled here.
    bool PreTranslateMessage(MSG& message);

    // Opens a snapshot file named in UTF-8 (from the command line, a drop or the
    // file dialog): the whole state is replaced, or nothing changes and a message
    // box says why.
    bool OpenSnapshot(const std::string& path);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
    INT_PTR OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The message handlers.
    BOOL OnInitDialog(HWND hwnd, HWND focus, LPARAM lParam);
    void OnPaint(HWND hwnd);
    void OnSize(HWND hwnd, UINT state, int cx, int cy);
    void OnMouseMove(HWND hwnd, int x, int y, UINT keyFlags);
    void OnLButtonDown(HWND hwnd, BOOL doubleClick, int x, int y, UINT keyFlags);
    void OnLButtonUp(HWND hwnd, int x, int y, UINT keyFlags);
    void OnCommand(HWND hwnd, int id, HWND control, UINT code);
    void OnSysCommand(HWND hwnd, UINT command, int x, int y);
    HICON OnQueryDragIcon(HWND hwnd);
    void OnContextMenu(HWND hwnd, HWND clicked, UINT x, UINT y);
    void OnInitMenuPopup(HWND hwnd, HMENU menu, UINT item, BOOL systemMenu);
    void OnDropFiles(HWND hwnd, HDROP drop);
    void OnClose(HWND hwnd);
    void OnDpiChanged(HWND hwnd, const RECT& suggested);
    void OnNcDestroy(HWND hwnd);

    // The commands.
    void OnOK();
    void OnCancel();
    void OnChangeNum();
    void OnChangeAttraction();
    void OnChangeRepulsion();
    void OnChangeFriction();
    void OnPresetPrev();
    void OnPresetNext();
    void OnCredit();
    void OnPause();
    void OnStepOneFrame();
    void OnSavePicture();
    void OnSaveSnapshot();
    void OnOpenSnapshot();

    // Draws the session's particles into the back buffer and copies it to the canvas.
    void Render();
    // The canvas's client area as the renderer sees it: its size in logical
    // pixels and the device pixels per logical pixel of the window's screen.
    CanvasView View() const;

    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    HWND Edit(ParamBox box) const;
    // Types a box's text into the session, then shows what the session holds.
    void TypeBox(ParamBox box);
    // After a session call that may change the particles or the texts: the boxes,
    // the title and the canvas's name, and a frame while paused.
    void ShowSession();
    void ShowSessionTexts();
    void ShowRunState();
    void RepaintIfPaused();
    // The window menu's own entries, after the system's, and their state.
    void AddWindowMenuEntries();
    void UpdateWindowMenu();
    // Each box's label just before the box, where a screen reader looks for its name.
    void PlaceLabelsBeforeBoxes();
    bool ConfirmLargeCount();
    int ShowMessage(const std::string& text, const char* caption, UINT flags);
    void ShowFileError(const std::string& message);
    // The file dialog; the chosen name in UTF-8, or empty when cancelled.
    std::string AskFileName(bool save, const char* title, const char* filter, const char* suffix);
    // Between chunks of long work: lets the window system's messages through, of
    // which only a request to end counts; true once one came.
    bool PollWhileBusy();
    void CloseIfRequested();

    SwarmSession m_session;
    BackBuffer m_backBuffer;
    bool m_bResized = false;     // set by OnSize, cleared when the back buffer is rebuilt
    ControlLayout m_layout;
    HwndLayoutWindows m_windows;
    int m_nDotSize = 0;          // disc size in logical pixels, set by OnInitDialog
    bool m_bShowingTexts = false; // the boxes are being set from the session: no change handler
    bool m_bBusy = false;        // messages are let through from inside long work
    int m_nCloseCode = -1;       // a request to end that came meanwhile, -1 none
    ULONGLONG m_nLastPoll = 0;   // when messages were last let through, in ms

    HINSTANCE m_hInstance = nullptr;
    HWND m_hWnd = nullptr;
    HWND m_editNum = nullptr;
    HWND m_btnPlayNice = nullptr;
    HWND m_canvas = nullptr;
    HICON m_hIcon = nullptr;      // 32 by 32
    HICON m_hSmallIcon = nullptr; // 16 by 16
};
