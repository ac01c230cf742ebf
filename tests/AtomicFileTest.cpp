// SPDX-License-Identifier: MIT
#include "AtomicFile.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kOld = "the previous file\n";
const std::string kNew = "the new bytes\n";

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What a save must keep of a file: its type, mode, owner and group, and every
// extended attribute, its access list among them.
std::string Portrait(const fs::path& path)
{
    struct stat s {};
    if (::lstat(path.c_str(), &s) != 0)
        return "missing";
    std::string portrait = std::to_string(s.st_mode) + " " + std::to_string(s.st_uid) + ":" + std::to_string(s.st_gid);
    std::vector<char> names(64 * 1024), value(64 * 1024);
    const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names.data() + at)) + 1) {
        const ssize_t length = ::lgetxattr(path.c_str(), names.data() + at, value.data(), value.size());
        portrait += std::string(" ") + (names.data() + at) + "=" + std::string(value.data(), std::max<ssize_t>(length, 0));
    }
    return portrait;
}

bool Shell(const std::string& command)
{
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

using AtomicFile = TempFolderTest;

// Each target in a folder of its own: a save either lands its bytes where the links
// lead, keeping everything that file had, or is refused, touching nothing; either
// way nothing else is left in the folder.
TEST_F(AtomicFile, EachTargetIsSavedKeepingItsPermissionsOrRefusedUntouched)
{
    const bool root = ::geteuid() == 0; // only root may give a file to someone else
    const auto file = [](const fs::path& p, mode_t mode) {
        std::ofstream(p) << kOld;
        return ::chmod(p.c_str(), mode) == 0;
    };
    const struct {
        const char* what;
        std::string given;   // the name saved to
        std::string written; // where the new bytes land; empty: refused
        std::function<bool(const fs::path& folder)> make; // false: this process cannot make it
        const char* kind = ""; // what a refusal calls the target
    } rows[] = {
        {"a new file", "new", "new", [](const fs::path&) { return true; }},
        {"the longest name Linux allows", std::string(255, 'n'), std::string(255, 'n'),
         [](const fs::path&) { return true; }},
        {"a file of mode 0600, given away where allowed", "old", "old",
         [&](const fs::path& d) { return file(d / "old", 0600) && (!root || ::chown((d / "old").c_str(), 4321, 4322) == 0); }},
        {"a file with an extended attribute", "x", "x",
         [&](const fs::path& d) { return file(d / "x", 0644) && ::setxattr((d / "x").c_str(), "user.mark", "kept", 4, 0) == 0; }},
        {"a 0640 file with an access list", "acl", "acl",
         [&](const fs::path& d) { return file(d / "acl", 0640) && Shell("setfacl -m u:nobody:rw " + (d / "acl").string()); }},
        {"a file without an access list in a folder with a default one", "plain", "plain",
         [&](const fs::path& d) {
             return Shell("setfacl -d -m u:nobody:rw " + d.string()) && file(d / "plain", 0644) &&
                    Shell("setfacl -b " + (d / "plain").string());
         }},
        {"a link to a file in another folder", "link", "sub/real",
         [&](const fs::path& d) {
             fs::create_directory(d / "sub");
             fs::create_symlink("sub/real", d / "link");
             return file(d / "sub/real", 0604);
         }},
        {"links to a missing name", "link1", "dangling",
         [](const fs::path& d) {
             fs::create_symlink(d / "dangling", d / "link2");
             fs::create_symlink("link2", d / "link1");
             return true;
         }},
        {"a FIFO", "fifo", "", [](const fs::path& d) { return ::mkfifo((d / "fifo").c_str(), 0644) == 0; }, "a FIFO"},
        {"a link to a FIFO", "link", "",
         [](const fs::path& d) {
             fs::create_symlink("fifo", d / "link");
             return ::mkfifo((d / "fifo").c_str(), 0644) == 0;
         },
         "a FIFO"},
        {"a device like /dev/null", "null", "",
         [](const fs::path& d) { return ::mknod((d / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; },
         "a character device"},
        {"a socket", "socket", "",
         [](const fs::path& d) {
             // Bound by its name within the folder: a socket's whole path has room
             // for only 107 bytes, fewer than a long TMPDIR and this test's folder take.
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strcpy(address.sun_path, "socket");
             const fs::path back = fs::current_path();
             fs::current_path(d);
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
             ::close(s);
             fs::current_path(back);
             return bound;
         },
         "a socket"},
        {"a folder with a file in it", "folder", "",
         [](const fs::path& d) { return fs::create_directory(d / "folder") && fs::create_directory(d / "folder/in"); },
         "a folder"},
    };
    const mode_t mask = ::umask(022);
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path folder = m_dir / std::to_string(n++);
        fs::create_directory(folder);
        // A row that cannot be made is said so, but not as a skipped test: ctest would
        // then count the whole test as skipped, failures and all.
        if (!row.make(folder)) { // a device needs root, an access list a file system with them
            std::cout << "[ no row   ] " << row.what << ": " << std::strerror(errno) << '\n';
            continue;
        }
        const bool refused = row.written.empty();
        const fs::path kept = folder / (refused ? row.given : row.written);
        const std::string before = Portrait(refused ? fs::canonical(kept) : kept);
        std::vector<std::string> names = Names(folder);
        const std::string path = (folder / row.given).string();
        std::string error;
        EXPECT_EQ(SaveFileAtomically(path, kNew, error), !refused) << error;
        if (refused) {
            EXPECT_EQ(error, path + ": " + row.kind + ", not a regular file: nothing was written");
            EXPECT_EQ(Portrait(fs::canonical(kept)), before);
        } else {
            EXPECT_EQ(Read(kept), kNew);
            // A new file gets what the umask (022 here) leaves of 0666, as any program's would.
            if (before == "missing")
                EXPECT_EQ(fs::status(kept).permissions(), static_cast<fs::perms>(0644));
            else
                EXPECT_EQ(Portrait(kept), before);
            names.push_back(fs::path(row.written).begin()->string());
            std::sort(names.begin(), names.end());
            names.erase(std::unique(names.begin(), names.end()), names.end());
        }
        EXPECT_EQ(Names(folder), names);
    }
    ::umask(mask);
}

// The old file stays byte for byte, nothing else is left, and the message says why.
TEST_F(AtomicFile, FailedSavesKeepThePreviousFileAndNameTheReason)
{
    std::string error;
    EXPECT_FALSE(SaveFileAtomically(Path("missing/file"), kNew, error));
    EXPECT_EQ(error, Path("missing/file") + ": No such file or directory");

    // A full disk: a tmpfs of 16 KiB, which only root may mount.
    const fs::path disk = m_dir / "disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "the full disk needs a tmpfs, which this process may not mount: " << std::strerror(errno);
    const struct Unmount {
        fs::path at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    const std::string path = (disk / "file").string();
    std::ofstream(path) << kOld;
    EXPECT_FALSE(SaveFileAtomically(path, std::string(64 * 1024, 'x'), error)); // more than the disk holds
    EXPECT_EQ(error, path + ": No space left on device");
    {
        std::ofstream fill(disk / "filler", std::ios::binary);
        while (fill << std::string(1024, 'f')) {
        }
    }
    EXPECT_FALSE(SaveFileAtomically(path, kNew, error)); // not a byte free
    EXPECT_EQ(error, path + ": No space left on device");
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(Names(disk), (std::vector<std::string>{"file", "filler"}));
}

} // namespace
