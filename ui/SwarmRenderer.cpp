// SPDX-License-Identifier: MIT
#include "SwarmRenderer.h"

#include "CanvasMapping.h"

#include <QImage>
#include <QPainter>

#include <cstring>
#include <vector>

namespace {

const QColor kLightGrey = QColor::fromRgb(kCanvasBackground);

void SelectDiscColours(QPainter& painter, bool highlighted)
{
    if (highlighted) {
        painter.setBrush(kLightGrey);
        painter.setPen(Qt::white);
    } else {
        painter.setBrush(Qt::white);
        painter.setPen(Qt::black);
    }
}

// A disc covers dot by dot pixels; with its outline, the painter's box is one less.
void PaintDisc(QPainter& painter, int x, int y, int dotSize)
{
    painter.drawEllipse(QRect(x, y, dotSize - 1, dotSize - 1));
}

// Light grey with the black frame on the outermost rows and columns.
void PaintBackground(QPainter& painter, int width, int height)
{
    painter.setBrush(kLightGrey);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, width - 1, height - 1);
}

bool DiscVisible(DiscPixel corner, int dotSize, const QRect& visible)
{
    return QRect(corner.x, corner.y, dotSize, dotSize).intersects(visible);
}

// One disc as the painter draws it, kept as runs of painted pixels: the pixels
// of each run, left to right, then copied per row.
struct DiscRun {
    int dy;    // row, from the disc's corner
    int dx;    // first column, from the disc's corner
    int first; // index of its first pixel in `pixels`
    int length;
};

struct DiscSprite {
    std::vector<DiscRun> runs;
    std::vector<QRgb> pixels;
};

// Pixels the painter leaves alone keep their background, so drawing the disc on
// two backgrounds of colours no disc uses tells exactly which pixels it paints.
DiscSprite MakeSprite(int dotSize, bool highlighted, QImage::Format format)
{
    // A margin around the box catches any pixel the painter puts outside it.
    const int margin = 2;
    const int side = dotSize + 2 * margin;
    const QRgb backgrounds[2] = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
    QImage drawn[2];
    for (int k = 0; k < 2; ++k) {
        drawn[k] = QImage(side, side, format);
        drawn[k].fill(backgrounds[k]);
        QPainter painter(&drawn[k]);
        SelectDiscColours(painter, highlighted);
        PaintDisc(painter, margin, margin, dotSize);
    }
    DiscSprite sprite;
    for (int y = 0; y < side; ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(drawn[0].constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(drawn[1].constScanLine(y));
        for (int x = 0; x < side;) {
            if (a[x] != b[x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < side && a[x] == b[x])
                ++x;
            sprite.runs.push_back({y - margin, start - margin, static_cast<int>(sprite.pixels.size()), x - start});
            sprite.pixels.insert(sprite.pixels.end(), a + start, a + x);
        }
    }
    return sprite;
}

struct SpriteCache {
    int dotSize = 0;
    QImage::Format format = QImage::Format_Invalid;
    DiscSprite normal;
    DiscSprite highlighted;
};

const SpriteCache& Sprites(int dotSize, QImage::Format format)
{
    thread_local SpriteCache cache;
    if (cache.dotSize != dotSize || cache.format != format) {
        cache.normal = MakeSprite(dotSize, false, format);
        cache.highlighted = MakeSprite(dotSize, true, format);
        cache.dotSize = dotSize;
        cache.format = format;
    }
    return cache;
}

// Copies the sprite's runs with the disc's corner at (x, y), cut at the image's edges.
void CopySprite(QImage& target, const DiscSprite& sprite, int x, int y)
{
    const int width = target.width();
    const int height = target.height();
    uchar* bits = target.bits();
    const qsizetype stride = target.bytesPerLine();
    for (const DiscRun& run : sprite.runs) {
        const long long row = static_cast<long long>(y) + run.dy;
        if (row < 0 || row >= height)
            continue;
        long long left = static_cast<long long>(x) + run.dx;
        long long right = left + run.length;
        int skip = 0;
        if (left < 0) {
            skip = static_cast<int>(-left);
            left = 0;
        }
        if (right > width)
            right = width;
        if (right <= left)
            continue;
        QRgb* line = reinterpret_cast<QRgb*>(bits + row * stride);
        std::memcpy(line + left, sprite.pixels.data() + run.first + skip,
                    static_cast<std::size_t>(right - left) * sizeof(QRgb));
    }
}

} // namespace

void RenderSwarmPainted(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize)
{
    if (target.isNull())
        return;
    const int w0 = target.width();
    const int h0 = target.height();
    QPainter painter(&target);
    PaintBackground(painter, w0, h0);
    const float sx = CanvasScale(w0, dotSize);
    const float sy = CanvasScale(h0, dotSize);
    const QRect visible(0, 0, w0, h0);
    for (int i = 0; i < count; ++i) {
        SelectDiscColours(painter, i == hover || i == drag);
        const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
        if (DiscVisible(corner, dotSize, visible))
            PaintDisc(painter, corner.x, corner.y, dotSize);
    }
}

void RenderSwarm(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize)
{
    if (target.isNull())
        return;
    // The copies write 32-bit pixels one to one; any other image, and discs too small
    // or too large for a sprite, are drawn by the painter.
    const bool copyable = (target.format() == QImage::Format_RGB32 || target.format() == QImage::Format_ARGB32 ||
                           target.format() == QImage::Format_ARGB32_Premultiplied) &&
                          target.devicePixelRatio() == 1.0 && dotSize >= 2 && dotSize <= 256;
    if (!copyable) {
        RenderSwarmPainted(target, particles, count, hover, drag, dotSize);
        return;
    }
    const int w0 = target.width();
    const int h0 = target.height();
    {
        QPainter painter(&target);
        PaintBackground(painter, w0, h0);
    }
    const SpriteCache& sprites = Sprites(dotSize, target.format());
    const float sx = CanvasScale(w0, dotSize);
    const float sy = CanvasScale(h0, dotSize);
    const QRect visible(0, 0, w0, h0);
    for (int i = 0; i < count; ++i) {
        const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
        if (DiscVisible(corner, dotSize, visible))
            CopySprite(target, (i == hover || i == drag) ? sprites.highlighted : sprites.normal, corner.x, corner.y);
    }
}
