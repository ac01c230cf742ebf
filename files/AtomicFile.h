// SPDX-License-Identifier: MIT
#pragma once

// The one way this program writes a file: all or nothing. Snapshots, pictures and
// videos, from the window and from the tool, go through it. Every message names the
// file.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A new file for a name, written whole or streamed (with seeks, as a video's
// container is), then put in place at once by Commit or dropped by Abandon. Until
// the commit nothing of it can be seen under any name the program chose; a failed
// or abandoned file, or a process killed before the commit, leaves the previous
// file byte for byte as it was and nothing new beside it.
//  - A symbolic link is followed: the link stays and its target is replaced.
//  - Anything that exists but is not a regular file (a FIFO, a device, a folder, a
//    socket) is refused and never opened.
//  - The new file is made in the folder of the name it replaces: unnamed where the
//    system offers that (Linux O_TMPFILE, so that even a killed process leaves
//    nothing), else under a short random name of its own that is never a link, so
//    any name up to the system's limit works and no name can be planted for it.
//  - A replaced file's mode, its owner and group where the process may give them,
//    its access list and its other extended attributes go to the new file; the
//    folder is synced after the rename.
class FileWriter {
public:
    FileWriter();
    ~FileWriter(); // a file not committed is abandoned
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Starts the new file for `path`. False, with `error` naming the file and the
    // system's reason, when the name cannot be saved to.
    bool Open(const std::string& path, std::string& error);

    // Writes at the current position. False, with the message, when that fails;
    // the file is then abandoned.
    bool Write(std::string_view bytes, std::string& error);

    // Moves the position as lseek does (`whence` SEEK_SET, SEEK_CUR or SEEK_END) and
    // returns it, or -1 with the message (the file is then abandoned).
    std::int64_t Seek(std::int64_t offset, int whence, std::string& error);

    // Makes the file complete on disk, gives it the replaced file's permissions and
    // puts it in place under its name. False, with the message, when that fails;
    // the previous file then stays and the new one is gone.
    bool Commit(std::string& error);

    // Drops the new file; nothing happens when none is open.
    void Abandon();

    bool IsOpen() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The bytes as a whole new file for `path`, through a FileWriter.
bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string& error);
