// SPDX-License-Identifier: MIT
#include "CanvasBuffer.h"

CanvasBuffer::CanvasBuffer(int width, int height, double ratio)
    : m_pixels(width, height)
{
    if (m_pixels.IsNull())
        return;
    m_image = ImageOfPixels(m_pixels.View());
    m_image.setDevicePixelRatio(ratio);
}

QImage ImageOfPixels(const PixelBuffer& pixels)
{
    // The pixels' layout is the one Format_RGB32 names.
    return QImage(reinterpret_cast<uchar*>(pixels.pixels), pixels.width, pixels.height,
                  static_cast<qsizetype>(pixels.StrideBytes()), QImage::Format_RGB32);
}
