// SPDX-License-Identifier: MIT
#include "WindowMenu.h"

bool IsWindowCommandEnabled(unsigned id, bool minimized, bool maximized, bool paused)
{
    switch (id & kSysCommandMask) {
    case SC_RESTORE:
        return minimized || maximized;
    case SC_MINIMIZE:
        return !minimized;
    case SC_MAXIMIZE:
        return !maximized;
    case IDM_STEP_FRAME:
        return paused;
    default:
        return true;
    }
}

SysCommandAction RouteSysCommand(unsigned id)
{
    switch (id & kSysCommandMask) {
    case IDM_ABOUTBOX:
        return SysCommandAction::About;
    case SC_RESTORE:
        return SysCommandAction::Restore;
    case SC_MINIMIZE:
        return SysCommandAction::Minimize;
    case SC_MAXIMIZE:
        return SysCommandAction::Maximize;
    case SC_CLOSE:
        return SysCommandAction::Close;
    case IDM_PAUSE:
        return SysCommandAction::Pause;
    case IDM_STEP_FRAME:
        return SysCommandAction::StepFrame;
    case IDM_SAVE_PICTURE:
        return SysCommandAction::SavePicture;
    case IDM_RECORD_VIDEO:
        return SysCommandAction::RecordVideo;
    case IDM_SAVE_SNAPSHOT:
        return SysCommandAction::SaveSnapshot;
    case IDM_OPEN_SNAPSHOT:
        return SysCommandAction::OpenSnapshot;
    default:
        return SysCommandAction::None;
    }
}
