// SPDX-License-Identifier: MIT
#pragma once

// Shows whether the particles run: the window's title reads "Driftmote (paused)"
// while paused and "Driftmote (recording)" while a video is recorded, and the
// canvas's description for screen readers says how many particles there are and
// whether they run.

class QWidget;

void ShowRunState(QWidget& window, QWidget& canvas, int particles, bool paused, bool recording);
