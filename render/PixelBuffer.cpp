// SPDX-License-Identifier: MIT
#include "PixelBuffer.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

PixelImage::PixelImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    // The byte count of the rows must fit both the allocator's size and pointer differences.
    const std::size_t limit = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(std::uint32_t);
    if (static_cast<std::size_t>(width) > limit / static_cast<std::size_t>(height))
        return;
    m_pixels.reset(new (std::nothrow) std::uint32_t[static_cast<std::size_t>(width) * static_cast<std::size_t>(height)]);
    if (m_pixels)
        m_view = {width, height, width, m_pixels.get()};
}

PixelImage::PixelImage(PixelImage&& other) noexcept
    : m_pixels(std::move(other.m_pixels))
    , m_view(std::exchange(other.m_view, PixelBuffer{}))
{
}

PixelImage& PixelImage::operator=(PixelImage&& other) noexcept
{
    m_pixels = std::move(other.m_pixels);
    m_view = std::exchange(other.m_view, PixelBuffer{});
    return *this;
}

PixelImage PixelImage::CopyOf(const PixelBuffer& source)
{
    PixelImage copy(source.IsEmpty() ? 0 : source.width, source.IsEmpty() ? 0 : source.height);
    for (int y = 0; y < copy.m_view.height; ++y)
        std::memcpy(copy.m_view.Row(y), source.Row(y), static_cast<std::size_t>(source.width) * sizeof(std::uint32_t));
    return copy;
}
