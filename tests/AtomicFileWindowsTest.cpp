// SPDX-License-Identifier: MIT
// Saves on Windows: names up to the system's limit, and whole paths past 260;
// folders and devices refused; and a file that another program holds open (a
// viewer, a second window), which cannot be replaced there: the save fails and
// the file stays whole. Nothing but the target is ever left in the folder.

#include "AtomicFile.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

using AtomicFileWindows = TempFolderTest;

TEST_F(AtomicFileWindows, NamesOfAnyLengthSaveAndWhatCannotBeReplacedStaysWhole)
{
    fs::create_directory(m_dir / "folder");
    const struct {
        const char* what;
        std::string name;
        bool hold;  // another program holds the old file open
        bool saves;
        const char* said; // in the message of a refused save
    } rows[] = {
        {"a 250-character name, past 260 in all", std::string(246, 'n') + ".png", false, true, ""},
        {"a file held open", "held.driftmote", true, false, ""},
        {"a folder", "folder", false, false, "a folder, not a regular file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path target = m_dir / fs::u8path(row.name);
        const fs::path folder = target.parent_path();
        std::string error;
        if (row.hold) {
            ASSERT_TRUE(SaveFileAtomically(target.string(), "previous", error)) << error;
        }
        const auto before = std::distance(fs::directory_iterator(folder), {});
        const HANDLE held = row.hold ? CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr)
                                     : INVALID_HANDLE_VALUE;
        const bool saved = SaveFileAtomically(target.string(), "next", error);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(saved, row.saves) << error;
        if (row.saves) {
            EXPECT_EQ(Read(target), "next");
        } else {
            // The name, then the system's reason in its own words, without the line break.
            const std::string named = target.string() + ": ";
            EXPECT_EQ(error.rfind(named, 0), 0u) << error;
            EXPECT_GT(error.size(), named.size() + 1) << error;
            EXPECT_NE(error.find(row.said), std::string::npos) << error;
            EXPECT_EQ(error.find_first_of("\r\n"), std::string::npos) << error;
            if (row.hold) {
                EXPECT_EQ(Read(target), "previous");
            }
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), before + (row.saves ? 1 : 0));
    }
}

} // namespace
