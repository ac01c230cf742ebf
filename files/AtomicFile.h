// SPDX-License-Identifier: MIT
#pragma once

// The one way this program writes a file: all or nothing. Snapshots and pictures,
// from the window and from the tool, go through it. Every message names the file.

#include <string>
#include <string_view>

// Writes the bytes to a new file beside `path` and puts it in place of `path` only
// once it is complete on disk, so a failed save leaves no half-written file and
// keeps the previous one.
bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string& error);
