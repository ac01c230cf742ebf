// SPDX-License-Identifier: MIT
#include "HwndLayoutWindows.h"

#include <algorithm>

LayoutRect HwndLayoutWindows::WindowRect(LayoutHandle window) const
{
    const HWND hwnd = static_cast<HWND>(window);
    RECT r{};
    GetWindowRect(hwnd, &r);
    POINT corner{r.left, r.top};
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)
        ScreenToClient(GetParent(hwnd), &corner);
    return {corner.x, corner.y, r.right - r.left, r.bottom - r.top};
}

void HwndLayoutWindows::Place(LayoutHandle control, int x, int y, int cx, int cy)
{
    const HWND hwnd = static_cast<HWND>(control);
    SetWindowPos(hwnd, nullptr, x, y, std::max(cx, 0), std::max(cy, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
}
