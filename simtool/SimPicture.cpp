// SPDX-License-Identifier: MIT
#include "SimPicture.h"

#include "ParticleSystem.h"
#include "AtomicFile.h"
#include "SnapshotFile.h"

#ifdef DRIFTMOTE_SIM_PICTURES
#include "SimCanvas.h"

#include <QBuffer>

QImage SimCanvas(const CanvasView& canvas, const std::string& path, std::string& error)
{
    const QSize size = DeviceSize(canvas);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        error = path + ": there is not enough memory for a picture of " + std::to_string(size.width()) + "x" +
                std::to_string(size.height()) + " pixels";
    return image;
}
#endif

bool SimPicturesAvailable()
{
#ifdef DRIFTMOTE_SIM_PICTURES
    return true;
#else
    return false;
#endif
}

bool WriteSimPicture(const ParticleSystem& particles, int width, int height, double scale, const std::string& path,
                     std::string& error)
{
#ifdef DRIFTMOTE_SIM_PICTURES
    const CanvasView canvas{width, height, scale};
    QImage image = SimCanvas(canvas, path, error);
    if (image.isNull())
        return false;
    RenderSwarm(image, canvas, particles.m_pCur, particles.m_nCount, -1, -1, kDotSize);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = path + ": the picture cannot be encoded as PNG";
        return false;
    }
    return SaveFileAtomically(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())), error);
#else
    (void)particles;
    (void)width;
    (void)height;
    (void)scale;
    error = path + ": pictures need the GUI build";
    return false;
#endif
}
