// SPDX-License-Identifier: MIT
#pragma once

// Whether two outputs of one run would land in the same file, so that the run
// refuses them instead of letting one silently replace the other.

#include "SimOptions.h"

#include <string>

// Empty when --save, --picture and --video name files apart; else the message
// for the first pair that could name one file: the same file where both exist (a
// link or another spelling of the path included), the same path otherwise, and
// for a numbered picture any frame's name.
std::string OutputClash(const Options& options);
