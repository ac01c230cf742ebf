// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// Empty when the video of `path` for a canvas of width x height pixels at `scale`
// (the pictures --video draws) fits this machine's memory, or when this build
// writes no videos; else the usage message that says why not.
std::string SimVideoMemoryProblem(int width, int height, double scale, const std::string& path);
