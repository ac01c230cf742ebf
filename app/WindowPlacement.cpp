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

QSize FittedClient(const QRect& area, const QSize& client, const QSize& minimum, const QMargins& frame)
{
    const QSize room(area.width() - frame.left() - frame.right(), area.height() - frame.top() - frame.bottom());
    return client.boundedTo(room).expandedTo(minimum);
}

void PlaceOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const int title = 2 * QFontMetrics(window.font()).height();
    const QMargins frame = window.isVisible() ? window.windowHandle()->frameMargins() : QMargins(0, title, 0, 0);
    const QRect area = screen->availableGeometry();
    window.resize(FittedClient(area, window.size(), window.minimumSize(), frame));
    // A window's position is the top-left corner of its frame.
    window.move(FramePosition(area, window.size(), frame));
}
