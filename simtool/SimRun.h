// SPDX-License-Identifier: MIT
#pragma once

// The parts of one run of driftmote-sim once its options are read: the changes
// of the state as session calls (SimActions.cpp), the frames with their printing
// and drawing (FrameLoop.cpp) and the speed measurement (Bench.cpp).

#include "Progress.h"
#include "SimOptions.h"
#include "SwarmSession.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// Where the run shows its progress, if anywhere.
struct Terminal {
    std::ostream& err;
    bool progress; // stderr is a terminal and the user did not ask for quiet
    ProgressDisplay::Clock now;
};

// The options' changes, in their order, as the session's calls; the tool answers
// yes to every large count. False (after saying why) when one fails.
bool ApplyActions(SwarmSession& session, const std::vector<Action>& actions, const Terminal& terminal);

// Called with each shown frame's number once its state is out; a message (to be
// said) ends the run, an empty one lets it go on.
using ShownFrame = std::function<std::string(long long frame)>;

// Steps options.frames frames, printing the frames options.shown chooses and
// handing each to `shown`. Returns the exit status.
int RunFrames(SwarmSession& session, const Options& options, std::ostream& out, const Terminal& terminal,
              const ShownFrame& shown);

// Steps `frames` frames and prints how fast. Returns the exit status.
int RunBench(SwarmSession& session, long long frames, std::ostream& out, std::ostream& err);

// The exit status of a run that a signal stopped.
int StoppedStatus();
