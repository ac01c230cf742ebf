// SPDX-License-Identifier: MIT
#pragma once

// The foot of the dialog's column of controls in a window shorter than its
// template. The column keeps its template places, but its lowest controls (the
// credit button and Play Nice) rise as the window gets shorter, so that none is
// cut off: each keeps its template top while there is room, and otherwise sits
// `gap` pixels above the one below it, the lowest `gap` pixels above the bottom.
// The smallest window is the one in which the foot meets the rest of the column.

struct FootControl {
    int top;    // template top, client pixels
    int height; // pixels
};

// The tops of `count` foot controls, listed from the top down, in a client area
// `clientHeight` pixels tall.
void FitColumnFoot(const FootControl* foot, int count, int clientHeight, int gap, int* tops);

// The least client height at which the foot stays `gap` pixels below `above`, the
// bottom of the lowest control that does not move.
int ColumnFootMinimumHeight(const FootControl* foot, int count, int above, int gap);
