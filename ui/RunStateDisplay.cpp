// SPDX-License-Identifier: MIT
#include "RunStateDisplay.h"

#include "AccessibleNames.h"
#include "DialogTemplate.h"

#include <QWidget>

void ShowRunState(QWidget& window, QWidget& canvas, int particles, bool paused, bool recording)
{
    QString title = QString::fromUtf8(kSwarmDialog.caption);
    if (paused || recording)
        title += paused && recording ? QStringLiteral(" (paused, recording)")
                                     : paused ? QStringLiteral(" (paused)") : QStringLiteral(" (recording)");
    if (window.windowTitle() != title)
        window.setWindowTitle(title);
    DescribeCanvas(canvas, particles, paused);
}
