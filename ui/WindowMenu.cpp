#include "WindowMenu.h"

bool IsWindowCommandEnabled(unsigned id, bool minimized, bool maximized)
{
    switch (id & kSysCommandMask) {
    case SC_RESTORE:
        return minimized || maximized;
    case SC_MINIMIZE:
        return !minimized;
    case SC_MAXIMIZE:
        return !maximized;
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
    default:
        return SysCommandAction::None;
    }
}
