// SPDX-License-Identifier: MIT
#include "SnapshotFile.h"

#include "FilePath.h"

#include <filesystem>
#include <fstream>
#include <iterator>
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
    if (size > kMaxSnapshotBytes) {
        error = Named(path, "the file is larger than a snapshot can be (" + std::to_string(kMaxSnapshotBytes) +
                                " bytes)");
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text;
    if (in) {
        text.reserve(static_cast<std::size_t>(size));
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in && !in.eof()) {
        error = Named(path, "cannot be read");
        return false;
    }
    std::string message;
    if (!ReadSnapshot(text, out, message)) {
        error = Named(path, message);
        return false;
    }
    return true;
}
