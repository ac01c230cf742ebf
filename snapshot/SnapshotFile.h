// SPDX-License-Identifier: MIT
#pragma once

// Snapshot files for programs without a toolkit (the window saves through its own
// atomic file). Every message names the file.

#include "Snapshot.h"

#include <string>

// Reads and checks a snapshot file; a file that is missing, unreadable, not a
// regular file, larger than kMaxSnapshotBytes or not a valid snapshot is refused
// with a message, and `out` is left as it was.
bool LoadSnapshotFile(const std::string& path, Snapshot& out, std::string& error);

// Writes the text to a new file beside `path` and renames it over `path` once it
// is complete on disk, so a failed save leaves no half-written file and keeps the
// previous one.
bool SaveFileAtomically(const std::string& path, std::string_view text, std::string& error);
