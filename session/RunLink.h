// SPDX-License-Identifier: MIT
#pragma once

// A run as a link: the generator's state before the start, the texts typed and the
// presets chosen in their order, and the frames stepped after them, written as the
// fragment of a page's address ("seed=1&num=120&preset=2&frames=300"). Replaying it
// gives the particles of driftmote-sim with the same options, bit for bit. The page
// reads and writes these fragments; driftmote-sim --link writes one.

#include "SwarmSession.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint32_t kStartSeed = 1; // the generator's state when a program starts

// One change before the frames: a text typed into a box, or a preset chosen.
struct LinkStep {
    bool isPreset = false;
    ParamBox box = ParamBox::Num;
    std::string text;
    int preset = 0;
};

struct RunLink {
    std::uint32_t seed = kStartSeed;
    std::vector<LinkStep> steps;
    long long frames = 0;
};

// The fragment, without the '#': seed first, the steps in order named as
// driftmote-sim's options are (num, attraction, repulsion, friction, preset), frames
// last. Texts are percent-encoded, every byte but letters, digits and -._~.
std::string LinkFragment(const RunLink& link);

// Reads a fragment as LinkFragment writes it (a leading '#' is skipped). False, with
// a message saying what is wrong, for anything else; `link` is then unchanged.
bool ParseLinkFragment(std::string_view fragment, RunLink& link, std::string& error);

// The link's start in the session: the generator set to the seed, the start, then
// the steps; every large count is put in place without asking. The frames are the
// caller's to run (the page runs them a few at a time). Anything but Done leaves
// the session in an unfinished state.
SessionResult StartRunLink(SwarmSession& session, const RunLink& link);
