// SPDX-License-Identifier: MIT
#include "AtomicFile.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
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

using AtomicFile = TempFolderTest;

TEST_F(AtomicFile, SavesFollowLinksKeepModeAndOwnerAndLeaveNothingElse)
{
    const std::string longName(255, 'n'); // the longest name Linux allows
    std::ofstream(m_dir / "old") << kOld;
    // Neither the temporary file's 0600 nor a new file's mode: a save that kept
    // either would show.
    fs::permissions(m_dir / "old", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const bool root = ::geteuid() == 0; // only root may give a file to someone else
    if (root) {
        ASSERT_EQ(::chown(Path("old").c_str(), 4321, 4322), 0);
    }
    fs::create_directory(m_dir / "sub");
    std::ofstream(m_dir / "sub" / "real") << kOld;
    fs::create_symlink("sub/real", m_dir / "link");
    fs::create_symlink(m_dir / "dangling", m_dir / "link2");
    fs::create_symlink("link2", m_dir / "link1");
    const struct {
        std::string given;   // what the save is given
        std::string written; // where the new bytes must land
    } cases[] = {{"new", "new"}, {"old", "old"}, {longName, longName}, {"link", "sub/real"}, {"link1", "dangling"}};
    for (const auto& c : cases) {
        std::string error;
        EXPECT_TRUE(SaveFileAtomically(Path(c.given), kNew, error)) << error;
        EXPECT_EQ(Read(m_dir / c.written), kNew) << c.given;
    }
    struct stat s {};
    ASSERT_EQ(::stat(Path("old").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_TRUE(s.st_uid == 4321 && s.st_gid == 4322) << s.st_uid << ':' << s.st_gid;
    }
    EXPECT_TRUE(fs::is_symlink(m_dir / "link") && fs::is_symlink(m_dir / "link1"));
    std::vector<std::string> expected = {"dangling", "link", "link1", "link2", "new", "old", "sub", longName};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(m_dir), expected);
}

// Refused, never opened (a FIFO without a reader would block the save), and left
// as they were, also behind a link.
TEST_F(AtomicFile, TargetsThatAreNotRegularFilesAreRefusedUntouched)
{
    const std::string path = Path("target");
    const struct {
        const char* what;
        bool (*make)(const std::string&); // false: this process cannot make one
        mode_t type;
    } cases[] = {
        {"a FIFO", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, S_IFIFO},
        {"a device like /dev/null",
         [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; }, S_IFCHR},
        {"a socket",
         [](const std::string& p) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strncpy(address.sun_path, p.c_str(), sizeof address.sun_path - 1);
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
             ::close(s);
             return bound;
         },
         S_IFSOCK},
        {"a folder with a file in it",
         [](const std::string& p) { return fs::create_directory(p) && fs::create_directory(p + "/inside"); },
         S_IFDIR},
    };
    fs::create_symlink(path, m_dir / "link");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        if (!c.make(path)) { // a device needs root
            std::cout << "[  SKIPPED ] " << c.what << ": " << std::strerror(errno) << '\n';
            continue;
        }
        for (const std::string& given : {path, Path("link")}) {
            std::string error;
            EXPECT_FALSE(SaveFileAtomically(given, kNew, error));
            EXPECT_EQ(error.rfind(given + ": ", 0), 0u) << error;
            EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        }
        struct stat s {};
        ASSERT_EQ(::lstat(path.c_str(), &s), 0);
        EXPECT_EQ(s.st_mode & S_IFMT, c.type);
        EXPECT_EQ(Names(m_dir), (std::vector<std::string>{"link", "target"}));
    }
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
