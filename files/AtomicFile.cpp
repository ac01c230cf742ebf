// SPDX-License-Identifier: MIT
#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Named(const std::string& path, const std::string& message)
{
    return path + ": " + message;
}

std::string Reason(int error)
{
    // A failure that left no reason is still one: never say "Success".
    return std::strerror(error != 0 ? error : EIO);
}

// The folder part of a path ("." when it has none) and the name in it.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

// Follows symbolic links from `path` to the name that is finally written: the
// link itself stays, its target is replaced. `exists` says whether that name
// exists; `status` is then its status.
bool ResolveTarget(const std::string& path, std::string& target, bool& exists, struct stat& status, int& failure)
{
    target = path;
    for (int hops = 0; hops <= 40; ++hops) {
        if (::lstat(target.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                failure = errno;
                return false;
            }
            exists = false;
            return true;
        }
        if (!S_ISLNK(status.st_mode)) {
            exists = true;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof link) {
            failure = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        const std::string next(link, static_cast<std::size_t>(length));
        target = next.front() == '/' ? next : FolderOf(target) + "/" + next;
    }
    failure = ELOOP;
    return false;
}

int WriteAll(int fd, std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// A short name for the new file beside the target, whatever the target's length,
// so that a target name up to the system's limit works.
std::string TempName()
{
    static std::atomic<unsigned> serial{0};
    return ".driftmote-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
}

// A new, empty file beside the target: unnamed where the system offers one (it
// vanishes with the process however that ends), else with a short name, which is
// then in `named`.
int CreateTemp(int folder, mode_t mode, bool unnamed, std::string& named, int& failure)
{
    named.clear();
#ifdef O_TMPFILE
    if (unnamed) {
        const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        // A file system without unnamed files says so in one of these ways.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
            failure = errno;
            return -1;
        }
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        named = TempName();
        const int fd = ::openat(folder, named.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    failure = errno;
    named.clear();
    return -1;
}

// Gives an unnamed file a short name in the folder, to be renamed over the target.
bool NameTemp(int fd, int folder, std::string& named)
{
    named = TempName();
#ifdef AT_EMPTY_PATH
    if (::linkat(fd, "", folder, named.c_str(), AT_EMPTY_PATH) == 0)
        return true;
#endif
    // Without the privilege that AT_EMPTY_PATH needs, the descriptor's entry in
    // /proc links the same file.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folder, named.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    named.clear();
    return false;
}

enum class Outcome { kDone, kFailed, kCannotName };

// Writes the bytes to a new file and renames it over the target. Until the rename,
// a failure leaves nothing new in the folder and the target untouched.
Outcome Commit(int folder, const std::string& name, std::string_view bytes, bool exists, const struct stat& old,
               bool unnamed, int& failure)
{
    std::string named;
    // Until it has the replaced file's mode, nobody else may read the new one.
    const int file = CreateTemp(folder, exists ? 0600 : 0666, unnamed, named, failure);
    if (file < 0)
        return Outcome::kFailed;
    if (exists) {
        // The owner too where the process may give the file away (root may), else
        // the group alone where it may. The owner is set before the mode, as a
        // change of owner clears the set-user-ID bit.
        if (::fchown(file, old.st_uid, old.st_gid) != 0)
            (void)::fchown(file, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(file, old.st_mode & 07777) != 0)
            failure = errno;
    }
    if (failure == 0)
        failure = WriteAll(file, bytes);
    if (failure == 0 && ::fsync(file) != 0)
        failure = errno;
    bool cannotName = false;
    if (failure == 0 && named.empty() && !NameTemp(file, folder, named)) {
        failure = errno;
        cannotName = true;
    }
    if (::close(file) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::renameat(folder, named.c_str(), folder, name.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        if (!named.empty())
            ::unlinkat(folder, named.c_str(), 0);
        return cannotName ? Outcome::kCannotName : Outcome::kFailed;
    }
    return Outcome::kDone;
}

} // namespace

bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string& error)
{
    std::string target;
    bool exists = false;
    struct stat old {};
    int failure = 0;
    if (!ResolveTarget(path, target, exists, old, failure)) {
        error = Named(path, Reason(failure));
        return false;
    }
    // Nothing but a regular file is replaced, and nothing else is opened for writing:
    // writing to a FIFO or a device is not saving.
    if (exists && !S_ISREG(old.st_mode)) {
        error = Named(path, std::string(KindOf(old.st_mode)) + ", not a regular file: nothing was written");
        return false;
    }
    const std::string name = NameOf(target);
    if (name.empty() || name == "." || name == "..") {
        error = Named(path, Reason(EISDIR));
        return false;
    }
    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = Named(path, Reason(errno));
        return false;
    }
    Outcome outcome = Commit(folder, name, bytes, exists, old, true, failure);
    if (outcome == Outcome::kCannotName) {
        failure = 0;
        outcome = Commit(folder, name, bytes, exists, old, false, failure);
    }
    // The rename is on disk only once the folder is; a folder that cannot be synced
    // at all (EINVAL) makes no promise to break.
    int synced = 0;
    if (outcome == Outcome::kDone && ::fsync(folder) != 0 && errno != EINVAL && errno != EROFS)
        synced = errno;
    ::close(folder);
    if (outcome != Outcome::kDone) {
        error = Named(path, Reason(failure));
        return false;
    }
    if (synced != 0) {
        error = Named(path, "written, but its folder could not be synced to disk: " + Reason(synced));
        return false;
    }
    return true;
}
