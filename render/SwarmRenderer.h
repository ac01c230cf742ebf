// SPDX-License-Identifier: MIT
#pragma once

// The picture of the swarm: a light grey area framed by a black line, and every
// particle as a white disc with a black outline, in index order; the hovered or
// dragged particle light grey with a white outline. Shared by the window's back
// buffer and by pictures written without a window (QtGui only).
//
// A picture is drawn in device pixels: on a screen with a device pixel ratio r
// every logical pixel of the canvas is r device pixels wide. Positions map from
// world to logical pixels as in CanvasMapping.h, then to device pixels by
// DevicePixel; each disc is copied whole from one disc drawn per size, so all
// discs of a picture are alike. At ratio 1 the picture is the one the painter
// draws (RenderSwarmPainted).

#include "Particle.h"

#include <QSize>

class QImage;

// The light grey behind the particles, as 0xAARRGGBB.
inline constexpr unsigned kCanvasBackground = 0xffc0c0c0;

// The size in logical pixels of the discs the window draws.
inline constexpr int kDotSize = 11;

// The canvas a picture shows: its size in logical pixels and the device pixels
// per logical pixel (greater than 0).
struct CanvasView {
    int width;
    int height;
    double ratio = 1.0;
};

// A logical pixel coordinate in device pixels: floor(value * ratio + 0.5), clamped
// as PixelFromDouble clamps.
int DevicePixel(int value, double ratio);

// The canvas's size in device pixels: each side by DevicePixel.
QSize DeviceSize(const CanvasView& canvas);

// A disc in device pixels: its box's side, DevicePixel(dotSize) and at least 1, and
// the width of its outline, which is also the width of the canvas's frame: the
// ratio rounded, at least 1.
struct DiscShape {
    int side;
    int rim;
};
DiscShape DiscAt(int dotSize, double ratio);

// Draws the canvas into the image, device pixel for device pixel from the canvas's
// top-left; an image smaller than DeviceSize(canvas) shows the part that fits. A
// particle whose index is `hover` or `drag` is highlighted (-1 for neither).
void RenderSwarm(QImage& target, const CanvasView& canvas, const Particle* particles, int count, int hover, int drag,
                 int dotSize);

// The whole image as the canvas, at ratio 1.
void RenderSwarm(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize);

// The picture at ratio 1, with one ellipse drawn by the painter per particle; the
// image's size is the canvas's size.
void RenderSwarmPainted(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize);
