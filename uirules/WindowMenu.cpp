// SPDX-License-Identifier: MIT
#include "WindowMenu.h"

bool IsWindowCommandEnabled(unsigned id, bool minimized, bool maximized, bool paused)
{
    switch (id & kSysCommandMask) {
    case SysCommand::Restore:
        return minimized || maximized;
    case SysCommand::Minimize:
        return !minimized;
    case SysCommand::Maximize:
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
    case SysCommand::Restore:
        return SysCommandAction::Restore;
    case SysCommand::Minimize:
        return SysCommandAction::Minimize;
    case SysCommand::Maximize:
        return SysCommandAction::Maximize;
    case SysCommand::Close:
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
