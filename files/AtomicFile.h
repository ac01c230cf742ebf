// SPDX-License-Identifier: MIT
#pragma once

// The one way this program writes a file: all or nothing. Snapshots and pictures,
// from the window and from the tool, go through it. Every message names the file.

#include <string>
#include <string_view>

// Writes the bytes to a new file beside `path` and renames it over `path` only once
// it is complete on disk (every write and sync checked), so a failed save — a full
// disk, a missing folder, anything — leaves the previous file byte for byte as it
// was and `error` names the file and the system's reason.
//  - A symbolic link is followed: the link stays and its target is replaced.
//  - Anything that exists but is not a regular file (a FIFO, a device, a folder, a
//    socket) is refused and never opened.
//  - A replaced file keeps its mode, and its owner and group where the process may
//    give them (as root), else its group where it may.
//  - The new file is unnamed until complete where the system offers that (Linux
//    O_TMPFILE), so a killed process leaves nothing behind; elsewhere it has a short
//    name of its own (".driftmote-PID-N"), so any name up to the system's limit works.
bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string& error);
