// SPDX-License-Identifier: MIT
#pragma once

// An icon file of 16-colour pictures, each pixel the nearest of the system's
// standard 16 colours, every pixel opaque.

#include <cstdint>
#include <string>
#include <vector>

struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // three bytes a pixel, rows from the top
};

// The icon file's bytes, the pictures in the order given.
std::string IconFile(const std::vector<IconPicture>& pictures);
