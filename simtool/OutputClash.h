// SPDX-License-Identifier: MIT
#pragma once

// Whether two outputs of one run would land in the same file, so that the run
// refuses them instead of letting one silently replace the other.

#include "PicturePattern.h"

#include <string>

// True when some picture the pattern names (the one name, or any frame's name for
// a numbered pattern) is the file `savePath`: the same file where both exist (a
// link or another spelling of the path included), the same path otherwise.
bool PictureCouldBe(const PicturePattern& picture, const std::string& savePath);
