// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string Named(const std::string& path, const std::string& message)
{
    return path + ": " + message;
}

} // namespace

bool SaveFileAtomically(const std::string& path, std::string_view text, std::string& error)
{
    const std::string temp = path + ".part-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = Named(path, std::strerror(errno));
        return false;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    int failure = 0;
    while (left > 0 && failure == 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno != EINTR)
                failure = errno;
            continue;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && std::rename(temp.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temp.c_str());
        error = Named(path, std::strerror(failure));
        return false;
    }
    return true;
}
