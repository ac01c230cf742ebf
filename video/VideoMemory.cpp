// SPDX-License-Identifier: MIT
#include "VideoMemory.h"

namespace {

// Measured as the peak resident size at sizes from 1000x1000 to 4000x4000 pixels,
// less the pictures drawn for it, and rounded up: libx264 (veryfast) holds about
// 69 bytes a pixel, libvpx-vp9 (realtime) about 119.
constexpr std::uint64_t kMp4BytesPerPixel = 72;
constexpr std::uint64_t kWebMBytesPerPixel = 124;
constexpr std::uint64_t kEncoderFixedBytes = std::uint64_t{64} << 20;

std::uint64_t Pixels(int width, int height)
{
    return static_cast<std::uint64_t>(width + (width & 1)) * static_cast<std::uint64_t>(height + (height & 1));
}

} // namespace

std::uint64_t VideoEncoderBytes(VideoFormat format, int width, int height)
{
    const std::uint64_t perPixel = format == VideoFormat::WebM ? kWebMBytesPerPixel : kMp4BytesPerPixel;
    return kEncoderFixedBytes + perPixel * Pixels(width, height);
}

std::string VideoMemoryProblem(VideoFormat format, int width, int height, int pictures, std::uint64_t memory)
{
    const std::uint64_t needed =
        VideoEncoderBytes(format, width, height) + 4 * static_cast<std::uint64_t>(pictures) * Pixels(width, height);
    if (memory == 0 || needed <= memory / 2)
        return {};
    return "a video of " + std::to_string(width) + "x" + std::to_string(height) + " pixels needs about " +
           std::to_string(needed >> 20) + " MiB, more than half of this machine's " + std::to_string(memory >> 20) +
           " MiB of memory";
}
