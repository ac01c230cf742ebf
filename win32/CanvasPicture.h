// SPDX-License-Identifier: MIT
#pragma once

// FIXME: a stand-in for the window-free renderer, until it leaves Qt: the grey
// area, its frame and round discs into 32-bit pixels.

#include "Particle.h"

#include <cstdint>

// The size in logical pixels of the discs the window draws.
inline constexpr int kDotSize = 11;

struct CanvasView {
    int width;
    int height;
    double ratio = 1.0;
};

struct PixelBuffer {
    int width = 0;
    int height = 0;
    int stride = 0; // pixels a row
    std::uint32_t* pixels = nullptr;
};

void RenderSwarm(PixelBuffer& target, const CanvasView& canvas, const Particle* particles, int count, int hover,
                 int drag, int dotSize);

#include <string>

bool SavePicturePng(const PixelBuffer& picture, const std::string& path, std::string& error);
