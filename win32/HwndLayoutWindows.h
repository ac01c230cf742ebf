// SPDX-License-Identifier: MIT
#pragma once

// ControlLayout's window operations on the system's windows; a handle is an HWND.

#include "ControlLayout.h"

#include <windows.h>

class HwndLayoutWindows final : public LayoutWindows {
public:
    static LayoutHandle HandleOf(HWND window) { return window; }

    // The outer rectangle; a child's corner in its parent's client coordinates.
    LayoutRect WindowRect(LayoutHandle window) const override;

    // Moves and sizes without changing the Z order or activating, then marks the
    // whole control for repainting without erasing it. A negative remembered size
    // shows as an empty control.
    void Place(LayoutHandle control, int x, int y, int cx, int cy) override;
};
