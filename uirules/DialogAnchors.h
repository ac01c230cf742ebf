// SPDX-License-Identifier: MIT
#pragma once

// The main dialog's controls as both windows use them: the anchor of each
// control on resize, in the order they are registered, and the edit box of each
// ParamBox.

#include "ControlLayout.h"
#include "Resource.h"
#include "SwarmParams.h"

struct ControlAnchor {
    int id;
    int flags;
};

// The canvas stretches; the column on the right follows the right edge.
inline constexpr int kFollowRight = LAYOUT_MOVE_X | LAYOUT_SIZE_X;
inline constexpr ControlAnchor kSwarmAnchors[] = {
    {IDC_CANVAS, LAYOUT_SIZE_X | LAYOUT_SIZE_Y},
    {IDC_NUM_LABEL, kFollowRight},
    {IDC_NUM, kFollowRight},
    {IDC_PLAY_NICE, kFollowRight},
    {IDC_ATTRACTION, kFollowRight},
    {IDC_ATTRACTION_LABEL, kFollowRight},
    {IDC_REPULSION, kFollowRight},
    {IDC_REPULSION_LABEL, kFollowRight},
    {IDC_FRICTION, kFollowRight},
    {IDC_FRICTION_LABEL, kFollowRight},
    {IDC_CREDIT, kFollowRight},
    {IDC_PRESET_PREV, kFollowRight},
    {IDC_PRESET_NEXT, kFollowRight},
    {IDC_PRESETS_LABEL, kFollowRight},
};

// The box of each ParamBox, in that order.
inline constexpr int kParamBoxIds[kParamBoxCount] = {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION};
