// SPDX-License-Identifier: MIT
#pragma once

// ControlLayout's window operations on Qt widgets; a handle is a QWidget pointer.

#include "ControlLayout.h"

class QWidget;

class WidgetLayoutWindows final : public LayoutWindows {
public:
    static LayoutHandle HandleOf(QWidget* widget) { return widget; }

    // A top-level window measures its client size: the desktop adds its frame
    // only once the window is mapped, and size changes are the same either way.
    LayoutRect WindowRect(LayoutHandle window) const override;

    // A negative remembered size shows as an empty (zero-sized) control.
    void Place(LayoutHandle control, int x, int y, int cx, int cy) override;
};
