// SPDX-License-Identifier: MIT
#pragma once

// The window menu of the main dialog, without any window code: its items, the
// About entry's command and string ids, and how a window command is routed.
//
// The desktop's own window menu cannot be extended from a program, so the dialog
// carries a menu of its own with the usual window commands and the About entry
// (IDM_ABOUTBOX with the text of IDS_ABOUTBOX, both in Resource.h).

#include "Resource.h"

// Window commands, numbered as the window system numbers them (its SC_ values,
// under names its headers' macros leave alone). The low four bits of a command id
// are for the system's own use; routing masks them off.
namespace SysCommand {
inline constexpr unsigned Minimize = 0xF020;
inline constexpr unsigned Maximize = 0xF030;
inline constexpr unsigned Close = 0xF060;
inline constexpr unsigned Restore = 0xF120;
} // namespace SysCommand

inline constexpr unsigned kSysCommandMask = 0xFFF0;

// One entry of the window menu; an entry with id 0 and no text is a separator.
// An ampersand marks the access key of the letter after it. The shortcut, in the
// toolkit's portable key text, works also while the menu is closed; none of them
// is a key that the edit boxes use.
struct WindowMenuItem {
    unsigned id;
    const char* text;
    const char* shortcut = nullptr;
    bool checkable = false;
};

inline constexpr WindowMenuItem kWindowMenu[] = {
    {SysCommand::Restore, "&Restore"},
    {SysCommand::Minimize, "Mi&nimize"},
    {SysCommand::Maximize, "Ma&ximize"},
    {SysCommand::Close, "&Close"},
    {IDM_PAUSE, "&Pause", "Pause", true},
    {IDM_STEP_FRAME, "Step One &Frame", "Ctrl+."},
    {IDM_SAVE_PICTURE, "Save P&icture...", "Ctrl+Shift+S"},
    {IDM_RECORD_VIDEO, "Record &Video...", "Ctrl+Shift+R", true},
    {IDM_SAVE_SNAPSHOT, "Save &Snapshot...", "Ctrl+S"},
    {IDM_OPEN_SNAPSHOT, "&Open Snapshot...", "Ctrl+O"},
    {0, nullptr},
    {IDM_ABOUTBOX, kAboutMenuText},
};

inline constexpr bool IsSeparator(const WindowMenuItem& item)
{
    return item.text == nullptr;
}

// Whether a window command of the menu can be chosen in the window's present state,
// as the usual window menu greys them: Restore only when minimised or maximised,
// Minimize unless minimised, Maximize unless maximised; Step One Frame only while
// paused; the others always.
bool IsWindowCommandEnabled(unsigned id, bool minimized, bool maximized, bool paused);

// What a window command does once routed.
enum class SysCommandAction {
    About,    // open the About box
    Restore,  // default processing: back to the normal size
    Minimize, // default processing
    Maximize, // default processing
    Close,    // default processing: the same as the close box
    Pause,        // stop or resume the motion
    StepFrame,    // one whole frame while paused
    SavePicture,  // the canvas picture as PNG
    RecordVideo,  // start or stop recording the canvas as a video
    SaveSnapshot, // the whole state to a file
    OpenSnapshot, // the whole state from a file
    None,     // default processing that has nothing to do here
};

// The routing of the dialog's OnSysCommand: a command id whose masked value is
// IDM_ABOUTBOX opens the About box and the dialog's own commands go to their
// handlers; every other id goes to the default processing, which again reads the
// id masked with 0xFFF0.
SysCommandAction RouteSysCommand(unsigned id);
