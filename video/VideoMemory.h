// SPDX-License-Identifier: MIT
#pragma once

// The memory a recording takes, so that a size that could never fit is refused
// before anything is allocated for it.

#include "VideoEncoder.h"

#include <cstdint>
#include <string>

// About the most memory VideoEncoder holds at once for pictures of width x height
// (made even): its conversion, the codec's reference and look-ahead pictures and
// the container, as measured for each format with the encoder's settings.
std::uint64_t VideoEncoderBytes(VideoFormat format, int width, int height);

// Empty when a recording of width x height pictures fits in `memory` bytes (the
// machine's physical memory; 0 when it is not known), the encoder and the
// caller's `pictures` more pictures of that size (4 bytes a pixel) taking at most
// half of it; else why it does not fit.
std::string VideoMemoryProblem(VideoFormat format, int width, int height, int pictures, std::uint64_t memory);
