// SPDX-License-Identifier: MIT
#pragma once

// Pixels as a PNG file: 8-bit RGB, alpha left out, written by stb's image writer,
// whose code is the same on every machine, so that the same pixels give the same
// bytes everywhere. The one PNG writer of the window and of the tool.

#include "PixelBuffer.h"

#include <string>

// The writer keeps its sizes in int: the rows it compresses, each a filter byte
// and 3 bytes per pixel, may hold this many bytes at most, which leaves room for
// the compressed data to grow past them.
inline constexpr long long kMaxPngBytes = 1LL << 29;

// Empty when a picture of width x height pixels (both positive) can be a PNG
// file; else why not.
std::string PngSizeProblem(int width, int height);

// The PNG file of the pixels. False with a message when there are no pixels, when
// the picture is too large (PngSizeProblem) or when memory is short; `png` is
// then empty.
bool EncodePng(const PixelBuffer& pixels, std::string& png, std::string& error);

// The PNG file of the pixels written to `path` all or nothing (SaveFileAtomically).
// False with a message naming the file when it cannot be encoded or written.
bool SavePng(const PixelBuffer& pixels, const std::string& path, std::string& error);
