// SPDX-License-Identifier: MIT
#pragma once

// The pixels a picture is drawn into. Every pixel is one std::uint32_t holding
// 0xAARRGGBB in the machine's byte order, alpha always 0xff: the layout of the
// toolkit's RGB32 images and of a 32-bit BI_RGB DIB section, so that a window
// shows the pixels where they are, without a copy. Rows run top to bottom, as in
// a top-down DIB section (negative biHeight).

#include <cstddef>
#include <cstdint>
#include <memory>

// A view of pixels that someone else owns: `height` rows of `width` pixels, the
// first pixel of row y at pixels + y * stride. Empty (width or height 0) shows nothing.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // pixels from the start of one row to the next, at least width
    std::uint32_t* pixels = nullptr;

    bool IsEmpty() const { return width <= 0 || height <= 0 || pixels == nullptr; }
    std::uint32_t* Row(int y) const { return pixels + y * stride; }
    // The same as bytes, for code that takes a byte pointer and a stride in bytes.
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(pixels); }
    std::ptrdiff_t StrideBytes() const { return stride * static_cast<std::ptrdiff_t>(sizeof(std::uint32_t)); }
};

// Pixels of its own, rows without gaps. Null when the size is not positive or its
// memory cannot be had: nothing is thrown. The pixels start undefined. A moved
// image keeps its pixels where they are; the one moved from is null.
class PixelImage {
public:
    PixelImage() = default;
    PixelImage(int width, int height);
    PixelImage(PixelImage&& other) noexcept;
    PixelImage& operator=(PixelImage&& other) noexcept;

    bool IsNull() const { return m_view.pixels == nullptr; }
    PixelBuffer& View() { return m_view; }
    const PixelBuffer& View() const { return m_view; }

    // A copy of the pixels of `source`; null when its memory cannot be had.
    static PixelImage CopyOf(const PixelBuffer& source);

private:
    std::unique_ptr<std::uint32_t[]> m_pixels;
    PixelBuffer m_view;
};
