// SPDX-License-Identifier: MIT
#pragma once

// Pictures of the particles as PNG files, drawn by the window's own renderer.

#include <string>

class ParticleSystem;

// Draws the particles on a canvas of width x height pixels, nothing highlighted,
// as a screen with `scale` device pixels per pixel shows it (the picture has the
// canvas's size in device pixels), and writes it as PNG to `path` all or nothing.
// False with a message naming the file when it cannot be drawn or written.
bool WriteSimPicture(const ParticleSystem& particles, int width, int height, double scale, const std::string& path,
                     std::string& error);
