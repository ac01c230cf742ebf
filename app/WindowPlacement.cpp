// SPDX-License-Identifier: MIT
#include "WindowPlacement.h"

#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

QPoint FramePosition(const QRect& area, const QSize& client, const QMargins& frame)
{
    const int width = client.width() + frame.left() + frame.right();
    const int height = client.height() + frame.top() + frame.bottom();
    return {area.x() + std::max(0, (area.width() - width) / 2), area.y() + std::max(0, (area.height() - height) / 2)};
}

void PlaceOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const int title = 2 * QFontMetrics(window.font()).height();
    const QMargins frame = window.isVisible() ? window.windowHandle()->frameMargins() : QMargins(0, title, 0, 0);
    // A window's position is the top-left corner of its frame.
    window.move(FramePosition(screen->availableGeometry(), window.size(), frame));
}
