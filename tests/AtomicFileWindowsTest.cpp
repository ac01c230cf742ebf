// SPDX-License-Identifier: MIT
// Saves on Windows, where a file that another program holds open cannot be
// replaced (a viewer, a second window): the save fails and the file stays whole.

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

using AtomicFileWindows = TempFolderTest;

TEST_F(AtomicFileWindows, AFileHeldOpenKeepsItsBytesAndTheSaveSaysWhy)
{
    std::string error;
    ASSERT_TRUE(SaveFileAtomically(Path("held.driftmote"), "previous", error)) << error;
    const HANDLE held = CreateFileW((m_dir / "held.driftmote").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const bool saved = SaveFileAtomically(Path("held.driftmote"), "next", error);
    CloseHandle(held);

    EXPECT_FALSE(saved);
    // The name, then the system's reason in its own words, without the line break.
    const std::string named = Path("held.driftmote") + ": ";
    EXPECT_EQ(error.rfind(named, 0), 0u) << error;
    EXPECT_GT(error.size(), named.size() + 1) << error;
    EXPECT_EQ(error.find_first_of("\r\n"), std::string::npos) << error;
    std::ostringstream bytes;
    bytes << std::ifstream(m_dir / "held.driftmote", std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1) << "the new file is gone";
}

} // namespace
