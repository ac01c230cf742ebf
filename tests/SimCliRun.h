// SPDX-License-Identifier: MIT
#pragma once

// One run of driftmote-sim in-process, from the random source's start state as
// the program always finds it.

#include "RandomUnit.h"
#include "SimCli.h"

#include <sstream>
#include <string>
#include <vector>

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline Result RunTool(const std::vector<std::string>& args)
{
    PortableRandRestart();
    std::ostringstream out, err;
    const int status = RunSimCli(args, out, err);
    return {status, out.str(), err.str()};
}
