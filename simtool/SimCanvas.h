// SPDX-License-Identifier: MIT
#pragma once

// The picture the tool draws a frame into, for a PNG or a video: the canvas's size
// in device pixels. Only a build with the window has it.

#include "SwarmRenderer.h"

#include <QImage>

#include <string>

// A null picture, with a message naming `path`, when its memory cannot be had.
QImage SimCanvas(const CanvasView& canvas, const std::string& path, std::string& error);
