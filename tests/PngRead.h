// SPDX-License-Identifier: MIT
#pragma once

// PNG files read back for the tests with stb's image reader, and pixels compared.

#include "PixelBuffer.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

// The pixels of a PNG file's bytes as 0xffRRGGBB; null when they do not decode.
inline PixelImage DecodePng(const std::string& png)
{
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(png.data()),
                                               static_cast<int>(png.size()), &width, &height, &channels, 3);
    if (!rgb)
        return {};
    PixelImage image(width, height);
    const unsigned char* in = rgb;
    for (int y = 0; y < height && !image.IsNull(); ++y)
        for (int x = 0; x < width; ++x, in += 3)
            image.View().Row(y)[x] = 0xff000000u | unsigned(in[0]) << 16 | unsigned(in[1]) << 8 | in[2];
    stbi_image_free(rgb);
    return image;
}

inline PixelImage ReadPng(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return DecodePng(std::string(std::istreambuf_iterator<char>(file), {}));
}

// The same size and the same pixels, whatever the strides.
inline bool SamePixels(const PixelBuffer& a, const PixelBuffer& b)
{
    if (a.width != b.width || a.height != b.height)
        return false;
    for (int y = 0; y < a.height; ++y)
        if (std::memcmp(a.Row(y), b.Row(y), static_cast<std::size_t>(a.width) * sizeof(std::uint32_t)) != 0)
            return false;
    return true;
}
