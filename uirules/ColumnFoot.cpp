// SPDX-License-Identifier: MIT
#include "ColumnFoot.h"

#include <algorithm>

void FitColumnFoot(const FootControl* foot, int count, int clientHeight, int gap, int* tops)
{
    int bottom = clientHeight - gap; // the lowest a control may reach
    for (int i = count - 1; i >= 0; --i) {
        tops[i] = std::min(foot[i].top, bottom - foot[i].height);
        bottom = tops[i] - gap;
    }
}

int ColumnFootMinimumHeight(const FootControl* foot, int count, int above, int gap)
{
    int height = above + gap;
    for (int i = 0; i < count; ++i)
        height += foot[i].height + gap;
    return height;
}
