// SPDX-License-Identifier: MIT
#include "RunStateDisplay.h"

#include "AccessibleNames.h"
#include "DialogTemplate.h"

#include <QWidget>

void ShowRunState(QWidget& window, QWidget& canvas, int particles, bool paused)
{
    const QString title = QString::fromUtf8(kSwarmDialog.caption);
    window.setWindowTitle(paused ? title + QStringLiteral(" (paused)") : title);
    DescribeCanvas(canvas, particles, paused);
}
