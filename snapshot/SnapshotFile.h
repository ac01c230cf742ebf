// SPDX-License-Identifier: MIT
#pragma once

// Reading snapshot files. Every message names the file; saving goes through
// SaveFileAtomically (AtomicFile.h).

#include "Snapshot.h"

#include <string>

// Reads and checks a snapshot file as a stream; a file that is missing,
// unreadable, not a regular file, larger than MaxSnapshotBytes() or not a valid
// snapshot is refused with a message, and `out` is left as it was.
bool LoadSnapshotFile(const std::string& path, Snapshot& out, std::string& error);
