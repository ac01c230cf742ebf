// SPDX-License-Identifier: MIT
#include "WidgetLayoutWindows.h"

#include <QWidget>

#include <algorithm>

LayoutRect WidgetLayoutWindows::WindowRect(LayoutHandle window) const
{
    const QRect r = static_cast<QWidget*>(window)->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void WidgetLayoutWindows::Place(LayoutHandle control, int x, int y, int cx, int cy)
{
    auto* w = static_cast<QWidget*>(control);
    w->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
    w->update();
}
