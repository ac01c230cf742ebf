// SPDX-License-Identifier: MIT
#pragma once

// The picture of the swarm: a light grey area framed by a one-pixel black line,
// and every particle as a white disc with a black outline, in index order; the
// hovered or dragged particle light grey with a white outline. Shared by the
// window's back buffer and by pictures written without a window (QtGui only).

#include "Particle.h"

class QImage;

// The light grey behind the particles, as 0xAARRGGBB.
inline constexpr unsigned kCanvasBackground = 0xffc0c0c0;

// The size in pixels of the discs the window draws.
inline constexpr int kDotSize = 11;

// Draws the particles into the whole image, whose size is the canvas size; the
// mapping from world to pixels is the one of CanvasMapping.h. A particle whose
// index is `hover` or `drag` is highlighted (-1 for neither). Each disc is copied
// from a disc drawn once per size and colour, which gives the same pixels as
// RenderSwarmPainted.
void RenderSwarm(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize);

// The same picture with one ellipse drawn by the painter per particle.
void RenderSwarmPainted(QImage& target, const Particle* particles, int count, int hover, int drag, int dotSize);
