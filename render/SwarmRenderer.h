// SPDX-License-Identifier: MIT
#pragma once

// The picture of the swarm: a light grey area framed by a black line, and every
// particle as a white disc with a black outline, in index order; the hovered or
// dragged particle light grey with a white outline. Shared by every window and by
// the pictures and videos written without one; it draws into plain pixels.
//
// A picture is drawn in device pixels: on a screen with a device pixel ratio r
// every logical pixel of the canvas is r device pixels wide. Positions map from
// world to logical pixels as in CanvasMapping.h, then to device pixels by
// DevicePixel; each disc is copied whole from one disc made per size, so all
// discs of a picture are alike.

#include "Particle.h"
#include "PixelBuffer.h"

#include <cstdint>

// The light grey behind the particles, as 0xAARRGGBB.
inline constexpr std::uint32_t kCanvasBackground = 0xffc0c0c0;

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

// A size in device pixels.
struct DeviceExtent {
    int width;
    int height;
};

// The canvas's size in device pixels: each side by DevicePixel.
DeviceExtent DeviceSize(const CanvasView& canvas);

// A disc in device pixels: its box's side, DevicePixel(dotSize) and at least 1, and
// the width of its outline, which is also the width of the canvas's frame: the
// ratio rounded, at least 1.
//
// A pixel of the box belongs to the disc when its centre lies within the circle
// inscribed in the box, and to the outline when its centre lies less than the
// rim's width inside that circle. At ratio 1 the 11-pixel disc is the one the
// system's Ellipse draws in an 11-pixel box with a one-pixel pen: 28 outline and
// 69 inside pixels.
struct DiscShape {
    int side;
    int rim;
};
DiscShape DiscAt(int dotSize, double ratio);

// Draws the canvas into the pixels, device pixel for device pixel from the
// canvas's top-left; pixels smaller than DeviceSize(canvas) show the part that
// fits. A particle whose index is `hover` or `drag` is highlighted (-1 for neither).
void RenderSwarm(PixelBuffer& target, const CanvasView& canvas, const Particle* particles, int count, int hover,
                 int drag, int dotSize);

// The whole of the pixels as the canvas, at ratio 1.
void RenderSwarm(PixelBuffer& target, const Particle* particles, int count, int hover, int drag, int dotSize);
