// SPDX-License-Identifier: MIT
#include "PngImage.h"

#include "AtomicFile.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string_view>
#include <utility>
#include <unordered_set>
#include <vector>

namespace {

// The writer does not look at every allocation it makes, and writes on after one
// that failed. Here a failed allocation throws instead, and the blocks the writer
// still holds are released when the exception leaves it.
thread_local std::unordered_set<void*> t_writerBlocks;

void* KeepBlock(void* block)
{
    if (!block)
        throw std::bad_alloc();
    try {
        t_writerBlocks.insert(block);
    } catch (...) {
        std::free(block);
        throw;
    }
    return block;
}

void* WriterMalloc(std::size_t size)
{
    return KeepBlock(std::malloc(size));
}

void* WriterRealloc(void* block, std::size_t size)
{
    void* moved = std::realloc(block, size);
    if (moved && block)
        t_writerBlocks.erase(block);
    return KeepBlock(moved);
}

void WriterFree(void* block)
{
    t_writerBlocks.erase(block);
    std::free(block);
}

void FreeWriterBlocks()
{
    for (void* block : t_writerBlocks)
        std::free(block);
    t_writerBlocks.clear();
}

} // namespace

// The writer's code is compiled into this file alone, without its file functions.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#define STBIW_MALLOC(size) WriterMalloc(size)
#define STBIW_REALLOC(block, size) WriterRealloc(block, size)
#define STBIW_FREE(block) WriterFree(block)
#include <stb_image_write.h>

namespace {

void AppendTo(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

} // namespace

std::string PngSizeProblem(int width, int height)
{
    if (height <= kMaxPngBytes / (3LL * width + 1))
        return {};
    return "a picture of " + std::to_string(width) + "x" + std::to_string(height) +
           " pixels is too large for a PNG file (about " + std::to_string((kMaxPngBytes / 3 + 500000) / 1000000) +
           " million pixels at most)";
}

bool EncodePng(const PixelBuffer& pixels, std::string& png, std::string& error)
{
    png.clear();
    if (pixels.IsEmpty()) {
        error = "there is no picture";
        return false;
    }
    if (std::string problem = PngSizeProblem(pixels.width, pixels.height); !problem.empty()) {
        error = std::move(problem);
        return false;
    }
    const long long rowBytes = 3LL * pixels.width;
    try {
        std::vector<unsigned char> rgb(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(pixels.height));
        unsigned char* out = rgb.data();
        for (int y = 0; y < pixels.height; ++y) {
            const std::uint32_t* row = pixels.Row(y);
            for (int x = 0; x < pixels.width; ++x) {
                *out++ = static_cast<unsigned char>(row[x] >> 16);
                *out++ = static_cast<unsigned char>(row[x] >> 8);
                *out++ = static_cast<unsigned char>(row[x]);
            }
        }
        if (stbi_write_png_to_func(AppendTo, &png, pixels.width, pixels.height, 3, rgb.data(),
                                   static_cast<int>(rowBytes)) != 0)
            return true;
    } catch (const std::bad_alloc&) {
        FreeWriterBlocks();
    }
    png.clear();
    error = "there is not enough memory to encode a picture of " + std::to_string(pixels.width) + "x" +
            std::to_string(pixels.height) + " pixels";
    return false;
}

bool SavePng(const PixelBuffer& pixels, const std::string& path, std::string& error)
{
    std::string png;
    if (!EncodePng(pixels, png, error)) {
        error = path + ": " + error;
        return false;
    }
    return SaveFileAtomically(path, std::string_view(png), error);
}
