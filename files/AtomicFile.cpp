// SPDX-License-Identifier: MIT
// FileWriter with the POSIX calls, and Linux's unnamed files and extended
// attributes where they are offered.
#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
// Emscripten's file layer (the browser's memory, or node's files) has neither a
// random source call nor extended attributes.
#ifndef __EMSCRIPTEN__
#include <sys/random.h>
#include <sys/xattr.h>
#endif
#include <unistd.h>

namespace {

// The attribute in which Linux keeps a file's access list.
#ifndef __EMSCRIPTEN__
constexpr const char* kAccessList = "system.posix_acl_access";
#endif

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

// A short name for the new file beside the target that nobody can guess before
// it is made, whatever the target's length, so that a target name up to the
// system's limit works.
std::string RandomName()
{
    unsigned char bytes[8] = {};
#ifdef __EMSCRIPTEN__
    if (true) {
#else
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
#endif
        // Without the kernel's random source the name is still new: O_EXCL says so.
        static unsigned serial = 0;
        const unsigned long long mix = (static_cast<unsigned long long>(::getpid()) << 32) ^ ++serial;
        std::memcpy(bytes, &mix, sizeof bytes);
    }
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
    std::string name = ".driftmote-";
    for (unsigned char byte : bytes)
        name += kDigits[byte & 31];
    return name;
}

// Calls `make` with new random names until one is free; false with errno set when
// a try fails for another reason than the name being taken.
template <typename Make>
bool WithFreeName(std::string& named, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        named = RandomName();
        if (make(named.c_str()))
            return true;
        if (errno != EEXIST)
            break;
    }
    named.clear();
    return false;
}

// A new, empty file beside the target: unnamed where the system offers one (it
// vanishes with the process however that ends), else with a short random name,
// which is then in `named`. Nobody but this process may read it until it is
// committed.
int CreateTemp(int folder, mode_t mode, std::string& named, int& failure)
{
    named.clear();
#ifdef O_TMPFILE
    const int unnamed = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (unnamed >= 0)
        return unnamed;
    // A file system without unnamed files says so in one of these ways.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
        failure = errno;
        return -1;
    }
#endif
    int fd = -1;
    // O_EXCL never follows a link planted at the name: the name is then taken.
    if (WithFreeName(named, [&](const char* name) {
            fd = ::openat(folder, name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            return fd >= 0;
        }))
        return fd;
    failure = errno;
    return -1;
}

// Gives an unnamed file a short name in the folder, to be renamed over the target.
bool NameTemp(int fd, int folder, std::string& named)
{
    return WithFreeName(named, [&](const char* name) {
#ifdef AT_EMPTY_PATH
        if (::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0)
            return true;
        if (errno == EEXIST)
            return false;
#endif
        // Without the privilege that AT_EMPTY_PATH needs, the descriptor's entry in
        // /proc links the same file.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        return ::linkat(AT_FDCWD, self.c_str(), folder, name, AT_SYMLINK_FOLLOW) == 0;
    });
}

// Where naming the unnamed file is not allowed at all, its bytes go to a named one.
int CopyToNamed(int from, int folder, mode_t mode, std::string& named, int& failure)
{
    int to = -1;
    if (!WithFreeName(named, [&](const char* name) {
            to = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            return to >= 0;
        })) {
        failure = errno;
        return -1;
    }
    std::vector<char> block(64 * 1024);
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(from, block.data(), block.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failure = errno;
        else if (got > 0)
            failure = WriteAll(to, std::string_view(block.data(), static_cast<std::size_t>(got)));
        if (got <= 0 || failure != 0)
            break;
        at += got;
    }
    if (failure == 0 && ::fsync(to) != 0)
        failure = errno;
    if (failure != 0) {
        ::close(to);
        ::unlinkat(folder, named.c_str(), 0);
        named.clear();
        return -1;
    }
    return to;
}

// The replaced file's extended attributes, its access list among them, onto the
// new one, which loses an access list it inherited from the folder when the old
// file had none. An attribute this process may not set (a security label) is left
// out; an access list that cannot be kept fails the save, as the new file would
// let in or shut out others than the old one did.
int CopyAttributes(const std::string& from, int to)
{
#ifdef __EMSCRIPTEN__
    (void)from;
    (void)to;
    return 0;
#else
    ssize_t size = ::llistxattr(from.c_str(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP ? 0 : errno;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::llistxattr(from.c_str(), names.data(), names.size());
    if (size < 0)
        return errno;
    names.resize(static_cast<std::size_t>(size));
    bool accessList = false;
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        const bool isAccessList = std::strcmp(name, kAccessList) == 0;
        accessList = accessList || isAccessList;
        ssize_t length = ::lgetxattr(from.c_str(), name, nullptr, 0);
        if (length >= 0) {
            value.resize(static_cast<std::size_t>(length));
            length = ::lgetxattr(from.c_str(), name, value.data(), value.size());
        }
        if (length >= 0 && ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(length), 0) == 0)
            continue;
        const bool notAllowed = errno == EPERM || errno == ENOTSUP || errno == ENODATA;
        if (isAccessList || !notAllowed)
            return errno;
    }
    if (!accessList && ::fremovexattr(to, kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP)
        return errno;
    return 0;
#endif
}

} // namespace

struct FileWriter::State {
    std::string path;   // as given, for the messages
    std::string target; // the name finally replaced, links followed
    std::string name;   // its last part, in `folder`
    int folder = -1;
    int fd = -1;
    std::string named; // the new file's own name, empty while it has none
    bool exists = false;
    struct stat old {};

    ~State()
    {
        if (fd >= 0)
            ::close(fd);
        if (!named.empty())
            ::unlinkat(folder, named.c_str(), 0);
        if (folder >= 0)
            ::close(folder);
    }

    // The replaced file's owner, group, attributes and mode onto the new file. The
    // owner is set first, as a change of owner clears the set-user-ID bit and
    // capabilities, and after the bytes, as a write clears them too.
    int KeepPermissions()
    {
        if (!exists)
            return 0;
        // The owner too where the process may give the file away (root may), else
        // the group alone where it may.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (const int failure = CopyAttributes(target, fd); failure != 0)
            return failure;
        // With an access list in place, the group's bits are its mask, which the
        // list just copied already holds.
        return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
    }
};

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() = default;

bool FileWriter::IsOpen() const
{
    return m_state != nullptr;
}

void FileWriter::Abandon()
{
    m_state.reset();
}

bool FileWriter::Open(const std::string& path, std::string& error)
{
    Abandon();
    auto state = std::make_unique<State>();
    state->path = path;
    int failure = 0;
    if (!ResolveTarget(path, state->target, state->exists, state->old, failure)) {
        error = Named(path, Reason(failure));
        return false;
    }
    // Nothing but a regular file is replaced, and nothing else is opened for writing:
    // writing to a FIFO or a device is not saving.
    if (state->exists && !S_ISREG(state->old.st_mode)) {
        error = Named(path, std::string(KindOf(state->old.st_mode)) + ", not a regular file: nothing was written");
        return false;
    }
    state->name = NameOf(state->target);
    if (state->name.empty() || state->name == "." || state->name == "..") {
        error = Named(path, Reason(EISDIR));
        return false;
    }
    state->folder = ::open(FolderOf(state->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (state->folder < 0) {
        error = Named(path, Reason(errno));
        return false;
    }
    // Until it has the replaced file's permissions, nobody else may read the new one.
    state->fd = CreateTemp(state->folder, state->exists ? 0600 : 0666, state->named, failure);
    if (state->fd < 0) {
        error = Named(path, Reason(failure));
        return false;
    }
    m_state = std::move(state);
    return true;
}

bool FileWriter::Write(std::string_view bytes, std::string& error)
{
    if (!m_state) {
        error = "no file is open";
        return false;
    }
    if (const int failure = WriteAll(m_state->fd, bytes); failure != 0) {
        error = Named(m_state->path, Reason(failure));
        Abandon();
        return false;
    }
    return true;
}

std::int64_t FileWriter::Seek(std::int64_t offset, int whence, std::string& error)
{
    if (!m_state) {
        error = "no file is open";
        return -1;
    }
    const off_t at = ::lseek(m_state->fd, static_cast<off_t>(offset), whence);
    if (at < 0) {
        error = Named(m_state->path, Reason(errno));
        Abandon();
        return -1;
    }
    return at;
}

bool FileWriter::Commit(std::string& error)
{
    if (!m_state) {
        error = "no file is open";
        return false;
    }
    State& s = *m_state;
    int failure = s.KeepPermissions();
    if (failure == 0 && ::fsync(s.fd) != 0)
        failure = errno;
    if (failure == 0 && s.named.empty() && !NameTemp(s.fd, s.folder, s.named)) {
        const int copy = CopyToNamed(s.fd, s.folder, 0600, s.named, failure);
        if (copy >= 0) {
            ::close(s.fd);
            s.fd = copy;
            failure = s.KeepPermissions();
        }
    }
    if (::close(s.fd) != 0 && failure == 0)
        failure = errno;
    s.fd = -1;
    if (failure == 0 && ::renameat(s.folder, s.named.c_str(), s.folder, s.name.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        error = Named(s.path, Reason(failure));
        Abandon();
        return false;
    }
    s.named.clear();
    // The rename is on disk only once the folder is; a folder that cannot be synced
    // at all (EINVAL) makes no promise to break.
    const bool synced = ::fsync(s.folder) == 0 || errno == EINVAL || errno == EROFS;
    const int reason = errno;
    const std::string path = s.path;
    Abandon();
    if (!synced) {
        error = Named(path, "written, but its folder could not be synced to disk: " + Reason(reason));
        return false;
    }
    return true;
}
