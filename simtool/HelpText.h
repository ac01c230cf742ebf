// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// driftmote-sim's --help: what it does, then a line or more for each row of the
// option table in its order, then the notes, the environment, the exit status and
// examples.
std::string HelpText();
