// SPDX-License-Identifier: MIT
#include "SimPicture.h"

#include "ParticleSystem.h"
#include "PngImage.h"
#include "SimCanvas.h"

PixelImage SimCanvas(const CanvasView& canvas, const std::string& path, std::string& error)
{
    const DeviceExtent size = DeviceSize(canvas);
    if (size.width <= 0 || size.height <= 0) {
        error = path + ": a canvas of " + std::to_string(canvas.width) + "x" + std::to_string(canvas.height) +
                " pixels has no device pixels at this scale";
        return {};
    }
    PixelImage image(size.width, size.height);
    if (image.IsNull())
        error = path + ": there is not enough memory for a picture of " + std::to_string(size.width) + "x" +
                std::to_string(size.height) + " pixels";
    return image;
}

bool WriteSimPicture(const ParticleSystem& particles, int width, int height, double scale, const std::string& path,
                     std::string& error)
{
    const CanvasView canvas{width, height, scale};
    const DeviceExtent size = DeviceSize(canvas);
    if (const std::string problem = PngSizeProblem(size.width, size.height); !problem.empty()) {
        error = path + ": " + problem;
        return false;
    }
    PixelImage image = SimCanvas(canvas, path, error);
    if (image.IsNull())
        return false;
    RenderSwarm(image.View(), canvas, particles.m_pCur, particles.m_nCount, -1, -1, kDotSize);
    return SavePng(image.View(), path, error);
}
