// SPDX-License-Identifier: MIT
#include "SwarmRenderer.h"

#include "CanvasMapping.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
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

// The disc for any ratio: a pixel belongs to it when its centre lies within the
// circle inscribed in the box, and to the outline when its centre lies less than
// the rim's width inside that circle. Symmetric under every mirror and quarter
// turn of the box, and closed: a pixel of the inside has no side in common with
// one outside the disc, as side neighbours' centres are 1 apart.
DiscSprite MakeRoundSprite(DiscShape shape, bool highlighted)
{
    const QRgb fill = highlighted ? kLightGrey.rgb() : QColor(Qt::white).rgb();
    const QRgb outline = highlighted ? QColor(Qt::white).rgb() : QColor(Qt::black).rgb();
    const double radius = shape.side / 2.0;
    const double inner = radius - shape.rim;
    DiscSprite sprite;
    for (int y = 0; y < shape.side; ++y) {
        const double dy = y + 0.5 - radius;
        int x = 0;
        while (x < shape.side) {
            const double dx = x + 0.5 - radius;
            if (dx * dx + dy * dy > radius * radius) {
                ++x;
                continue;
            }
            const int start = x;
            DiscRun run{y, start, static_cast<int>(sprite.pixels.size()), 0};
            for (; x < shape.side; ++x) {
                const double ex = x + 0.5 - radius;
                const double d2 = ex * ex + dy * dy;
                if (d2 > radius * radius)
                    break;
                sprite.pixels.push_back(inner > 0 && d2 <= inner * inner ? fill : outline);
            }
            run.length = x - start;
            sprite.runs.push_back(run);
        }
    }
    return sprite;
}

// The painter's disc is kept at ratio 1, for the sizes it draws well.
bool PainterDisc(int dotSize, double ratio)
{
    return ratio == 1.0 && dotSize >= 2 && dotSize <= 256;
}

struct SpriteCache {
    int dotSize = 0;
    double ratio = 0.0;
    QImage::Format format = QImage::Format_Invalid;
    DiscSprite normal;
    DiscSprite highlighted;
};

const SpriteCache& Sprites(int dotSize, double ratio, QImage::Format format)
{
    thread_local SpriteCache cache;
    if (cache.dotSize != dotSize || cache.ratio != ratio || cache.format != format) {
        if (PainterDisc(dotSize, ratio)) {
            cache.normal = MakeSprite(dotSize, false, format);
            cache.highlighted = MakeSprite(dotSize, true, format);
        } else {
            cache.normal = MakeRoundSprite(DiscAt(dotSize, ratio), false);
            cache.highlighted = MakeRoundSprite(DiscAt(dotSize, ratio), true);
        }
        cache.dotSize = dotSize;
        cache.ratio = ratio;
        cache.format = format;
    }
    return cache;
}

// The canvas's grey area and its frame, `rim` device pixels wide along the edges
// of the canvas's device area, where they fall inside the image.
void FillBackground(QImage& target, QSize device, int rim)
{
    target.fill(kLightGrey);
    const QRgb black = QColor(Qt::black).rgb();
    const int width = target.width();
    const int height = target.height();
    const auto fillRect = [&](int x0, int y0, int x1, int y1) {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, width);
        y1 = std::min(y1, height);
        for (int y = y0; y < y1; ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(target.scanLine(y));
            std::fill(line + x0, line + std::max(x0, x1), black);
        }
    };
    const int w = device.width();
    const int h = device.height();
    fillRect(0, 0, w, rim);
    fillRect(0, h - rim, w, h);
    fillRect(0, 0, rim, h);
    fillRect(w - rim, 0, w, h);
}

bool Is32Bit(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
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

int DevicePixel(int value, double ratio)
{
    return PixelFromDouble(std::floor(static_cast<double>(value) * ratio + 0.5));
}

QSize DeviceSize(const CanvasView& canvas)
{
    return QSize(DevicePixel(canvas.width, canvas.ratio), DevicePixel(canvas.height, canvas.ratio));
}

DiscShape DiscAt(int dotSize, double ratio)
{
    return {std::max(1, DevicePixel(dotSize, ratio)), std::max(1, DevicePixel(1, ratio))};
}

void RenderSwarm(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize)
{
    RenderSwarm(target, CanvasView{target.width(), target.height(), 1.0}, particles, count, hover, drag, dotSize);
}

void RenderSwarm(QImage& target, const CanvasView& canvas, const Particle* particles, int count, int hover, int drag,
                 int dotSize)
{
    if (target.isNull())
        return;
    // The copies write 32-bit pixels one to one. At ratio 1 the painter draws what
    // they cannot; any other image is drawn through a 32-bit copy.
    const bool whole = canvas.ratio == 1.0 && target.size() == QSize(canvas.width, canvas.height);
    if (whole && (!Is32Bit(target.format()) || !PainterDisc(dotSize, 1.0))) {
        RenderSwarmPainted(target, particles, count, hover, drag, dotSize);
        return;
    }
    if (!Is32Bit(target.format())) {
        QImage copy = target.convertToFormat(QImage::Format_RGB32);
        RenderSwarm(copy, canvas, particles, count, hover, drag, dotSize);
        target = copy.convertToFormat(target.format());
        return;
    }
    const DiscShape disc = DiscAt(dotSize, canvas.ratio);
    FillBackground(target, DeviceSize(canvas), disc.rim);
    const SpriteCache& sprites = Sprites(dotSize, canvas.ratio, target.format());
    const float sx = CanvasScale(canvas.width, dotSize);
    const float sy = CanvasScale(canvas.height, dotSize);
    const QRect visible(0, 0, target.width(), target.height());
    for (int i = 0; i < count; ++i) {
        const DiscPixel corner = DiscCorner(particles[i].x, particles[i].y, sx, sy);
        const int x = DevicePixel(corner.x, canvas.ratio);
        const int y = DevicePixel(corner.y, canvas.ratio);
        if (DiscVisible({x, y}, disc.side, visible))
            CopySprite(target, (i == hover || i == drag) ? sprites.highlighted : sprites.normal, x, y);
    }
}
