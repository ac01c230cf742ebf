// SPDX-License-Identifier: MIT
#pragma once

// Where the main window first appears and how large: the whole window, title bar
// and frame included, inside the screen's available area (without panels and
// docks), made smaller where it does not fit but never below its minimum size;
// centred where it fits, else at the area's top-left.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The top-left corner of the frame of a window whose client area is `client` and
// whose frame adds `frame` around it, in the available area `area`.
QPoint FramePosition(const QRect& area, const QSize& client, const QMargins& frame);

// The client size of a window that asks for `client` and no less than `minimum`:
// as large as asked, or as large as fits in `area` with the frame, whichever is
// smaller, but at least the minimum.
QSize FittedClient(const QRect& area, const QSize& client, const QSize& minimum, const QMargins& frame);

// Sizes and moves the window (not yet shown) there, on its screen. Before the window is
// shown its frame is not known, so the frame is taken as a title bar of two lines
// of the window's font; the position is the frame's own, so even a larger frame
// starts inside the area.
void PlaceOnScreen(QWidget& window);
