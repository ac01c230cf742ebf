// SPDX-License-Identifier: MIT
#pragma once

// The pixels the tool draws a frame into, for a PNG or a video: the canvas's size
// in device pixels.

#include "SwarmRenderer.h"

#include <string>

// Null pixels, with a message naming `path`, when their memory cannot be had.
PixelImage SimCanvas(const CanvasView& canvas, const std::string& path, std::string& error);
