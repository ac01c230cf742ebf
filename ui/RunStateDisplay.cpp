// SPDX-License-Identifier: MIT
#include "RunStateDisplay.h"

#include "AccessibleNames.h"
#include "WindowTexts.h"

#include <QWidget>

void ShowRunState(QWidget& window, QWidget& canvas, int particles, bool paused, bool recording)
{
    const QString title = QString::fromStdString(RunStateTitle(paused, recording));
    if (window.windowTitle() != title)
        window.setWindowTitle(title);
    DescribeCanvas(canvas, particles, paused);
}
