// SPDX-License-Identifier: MIT
#pragma once

// What a screen reader says for each control of the main dialog: a name for
// every control (the boxes are named after their labels, as the labels are not
// read with them), a description where the name alone does not say what the
// control does, and the labels tied to their boxes. The canvas reads as a graphic.

class QWidget;

// Applies the names to the dialog's controls, built from the template.
void ApplyAccessibleNames(QWidget& dialog);

// The canvas's description: how many particles there are and whether they run.
void DescribeCanvas(QWidget& canvas, int particles, bool paused);
