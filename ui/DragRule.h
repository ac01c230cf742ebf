// SPDX-License-Identifier: MIT
#pragma once

struct Particle;

// Holds a dragged particle, just stepped, at the pointer minus the grab offset and
// leaves it with half of its stepped velocity plus half of its movement, so that
// under a still pointer it comes to rest and on release it keeps half of the last
// frame's movement.
void HoldDragged(Particle& p, float mouseX, float mouseY, float grabDX, float grabDY);
