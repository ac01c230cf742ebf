// SPDX-License-Identifier: MIT
#include "SnapshotFile.h"

#include "FilePath.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::string Named(const std::string& path, const std::string& message)
{
    return path + ": " + message;
}

} // namespace

bool LoadSnapshotFile(const std::string& path, Snapshot& out, std::string& error)
{
    const std::filesystem::path file = FilePath(path);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (ec) {
        error = Named(path, ec.message());
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = Named(path, "not a regular file");
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        error = Named(path, ec.message());
        return false;
    }
    // Read as a stream: no copy of the file is ever held, and the first byte that
    // cannot belong to a snapshot ends the reading.
    errno = 0;
    std::ifstream stream(file, std::ios::binary); // on Windows the UTF-8 name as the system's wide name
    if (!stream) {
        error = Named(path, errno != 0 ? std::strerror(errno) : "cannot be read");
        return false;
    }
    std::string message;
    const bool read = ReadSnapshot(stream, size, out, message);
    if (!read) {
        error = Named(path, message);
        return false;
    }
    return true;
}
