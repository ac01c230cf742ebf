// SPDX-License-Identifier: MIT
#pragma once

#include "SwarmRenderer.h"

#include <QImage>

// The back buffer: the renderer's pixels, and the toolkit's image over the same
// memory, with no copy between them. Null when it has no pixels.
class CanvasBuffer {
public:
    CanvasBuffer() = default;
    // Pixels of the size in device pixels, shown on a screen of `ratio`; null when
    // the memory is short.
    CanvasBuffer(int width, int height, double ratio);

    bool IsNull() const { return m_pixels.IsNull(); }
    PixelBuffer& Pixels() { return m_pixels.View(); }
    const PixelBuffer& Pixels() const { return m_pixels.View(); }
    const QImage& Image() const { return m_image; }

private:
    PixelImage m_pixels;
    QImage m_image;
};

// The pixels as an image, without a copy: it reads and writes them where they are.
QImage ImageOfPixels(const PixelBuffer& pixels);
