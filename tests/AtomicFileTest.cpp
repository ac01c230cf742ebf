// SPDX-License-Identifier: MIT
#include "AtomicFile.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class AtomicFile : public TempFolderTest {
protected:
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Mounts a tmpfs of `bytes` on a folder of the test's own; false when this
    // process may not mount.
    bool MountSmallDisk(const char* size)
    {
        m_mount = m_dir / "disk";
        fs::create_directory(m_mount);
        if (::mount("tmpfs", m_mount.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) != 0)
            return false;
        m_mounted = true;
        return true;
    }

    void TearDown() override
    {
        if (m_mounted)
            ::umount(m_mount.c_str());
        m_mounted = false;
        TempFolderTest::TearDown();
    }

    fs::path m_mount;
    bool m_mounted = false;
};

// What each kind of target becomes: the save succeeds and what is on disk after.
TEST_F(AtomicFile, SavesReplaceTheFileALinkPointsToAndKeepItsModeAndOwner)
{
    const bool root = ::geteuid() == 0;
    const struct Case {
        const char* what;
        std::function<void()> setUp;
        const char* path;    // what the save is given
        const char* written; // where the new bytes must land
        std::function<void()> check;
    } cases[] = {
        {"a new file", [] {}, "new", "new", [] {}},
        {"over a file", [&] { Write(m_dir / "old", kOld); }, "old", "old", [] {}},
        {"a name of 255 bytes", [] {}, "", "", [] {}},
        {"a mode of 0600 is kept",
         [&] {
             Write(m_dir / "private", kOld);
             fs::permissions(m_dir / "private", fs::perms::owner_read | fs::perms::owner_write);
             if (root) {
                 ASSERT_EQ(::chown((m_dir / "private").c_str(), 4321, 4322), 0);
             }
         },
         "private", "private",
         [&] {
             struct stat s {};
             ASSERT_EQ(::stat((m_dir / "private").c_str(), &s), 0);
             EXPECT_EQ(s.st_mode & 07777, 0600u);
             if (root) { // only root may give a file to someone else
                 EXPECT_EQ(s.st_uid, 4321u);
                 EXPECT_EQ(s.st_gid, 4322u);
             }
         }},
        {"a link to a file in another folder",
         [&] {
             fs::create_directory(m_dir / "sub");
             Write(m_dir / "sub" / "real", kOld);
             fs::create_symlink("sub/real", m_dir / "link");
         },
         "link", "sub/real", [&] { EXPECT_TRUE(fs::is_symlink(m_dir / "link")); }},
        {"a link to a link to a file that does not exist yet",
         [&] {
             fs::create_symlink(m_dir / "dangling", m_dir / "link2");
             fs::create_symlink("link2", m_dir / "link1");
         },
         "link1", "dangling", [&] { EXPECT_TRUE(fs::is_symlink(m_dir / "link1")); }},
    };
    const std::string longName(255, 'n');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.setUp();
        const std::string path = Path(*c.path ? c.path : longName);
        std::string error;
        ASSERT_TRUE(SaveFileAtomically(path, kNew, error)) << error;
        EXPECT_EQ(Read(m_dir / (*c.written ? c.written : longName)), kNew);
        c.check();
        for (const std::string& name : Names())
            EXPECT_EQ(name.find(".driftmote"), std::string::npos) << "left behind: " << name;
    }
}

// Targets that are not regular files are refused, never opened (a FIFO without a
// reader would block the save), and stay what they were.
TEST_F(AtomicFile, TargetsThatAreNotRegularFilesAreRefusedUntouched)
{
    const struct Case {
        const char* what;
        std::function<bool(const std::string&)> make; // false: this system cannot make one
        mode_t type;
    } cases[] = {
        {"a FIFO", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }, S_IFIFO},
        {"a device like /dev/null",
         [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; }, S_IFCHR},
        {"a socket",
         [](const std::string& p) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             if (p.size() >= sizeof address.sun_path)
                 return false;
             std::copy(p.begin(), p.end(), address.sun_path);
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
             ::close(s);
             return bound;
         },
         S_IFSOCK},
        {"a folder, even one with files in it",
         [](const std::string& p) { return fs::create_directory(p) && fs::create_directory(p + "/inside"); },
         S_IFDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Path("target");
        fs::remove_all(path);
        if (!c.make(path)) { // a device node needs root
            std::cout << "[  SKIPPED ] " << c.what << ": " << std::strerror(errno) << '\n';
            continue;
        }
        fs::create_symlink(path, m_dir / "link");
        for (const std::string& given : {path, Path("link")}) {
            std::string error;
            EXPECT_FALSE(SaveFileAtomically(given, kNew, error));
            EXPECT_EQ(error.rfind(given + ": ", 0), 0u) << error;
            EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        }
        struct stat s {};
        ASSERT_EQ(::lstat(path.c_str(), &s), 0);
        EXPECT_EQ(s.st_mode & S_IFMT, c.type);
        EXPECT_EQ(Names(), (std::vector<std::string>{"link", "target"}));
        fs::remove(m_dir / "link");
    }
}

// Failed saves leave the old file byte for byte and nothing else, and say why.
TEST_F(AtomicFile, FailedSavesKeepThePreviousFileAndNameTheReason)
{
    const struct Case {
        const char* what;
        const char* size; // of the small disk the folder is on; null: the test's own folder
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"a missing folder", nullptr, kNew, "No such file or directory"},
        {"a disk too small for the new file", "16k", std::string(64 * 1024, 'x'), "No space left on device"},
        {"a disk already full", "16k", "", "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        fs::path folder = m_dir;
        std::string bytes = c.bytes;
        if (c.size) {
            // The rows with a small disk come last, so skipping skips only them.
            if (!MountSmallDisk(c.size))
                GTEST_SKIP() << c.what << ": this process may not mount a tmpfs (root may)";
            folder = m_mount;
            Write(folder / "file", kOld);
            if (bytes.empty()) { // fill the disk to its last byte
                std::ofstream fill(folder / "filler", std::ios::binary);
                const std::string block(1024, 'f');
                while (fill.write(block.data(), block.size())) {
                }
                bytes = kNew;
            }
        } else {
            Write(folder / "file", kOld);
            folder /= "missing";
        }
        std::string error;
        const std::string path = (folder / "file").string();
        EXPECT_FALSE(SaveFileAtomically(path, bytes, error));
        EXPECT_EQ(error, path + ": " + c.reason);
        if (c.size) {
            EXPECT_EQ(Read(folder / "file"), kOld);
            std::vector<std::string> after;
            for (const auto& entry : fs::directory_iterator(folder))
                after.push_back(entry.path().filename().string());
            std::sort(after.begin(), after.end());
            EXPECT_TRUE(after == std::vector<std::string>({"file"}) ||
                        after == std::vector<std::string>({"file", "filler"}));
        } else {
            EXPECT_EQ(Read(m_dir / "file"), kOld);
        }
    }
}

} // namespace
