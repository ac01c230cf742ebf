// SPDX-License-Identifier: MIT
#pragma once

// driftmote-sim's arguments read by the option table: long options with their
// value as the next argument or after '=', "--" for the end of the options.

#include "SimOptions.h"

#include <string>
#include <vector>

// The options of `args` (the arguments after the program's name), checked
// against each other; with the help or the version asked for, only `reply` counts.
// Bad usage throws UsageError.
Options ParseArgs(const std::vector<std::string>& args);
