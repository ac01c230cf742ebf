// SPDX-License-Identifier: MIT
#pragma once

// A test with a folder of its own, made empty before and removed after it. The
// folder's name holds the process's number, so that test runs of two checkouts
// side by side do not share it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#define DRIFTMOTE_TEST_PID _getpid()
#else
#include <unistd.h>
#define DRIFTMOTE_TEST_PID getpid()
#endif

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::temp_directory_path() /
                (std::string("driftmote-") + test->test_suite_name() + "-" + test->name() + "-" +
                 std::to_string(DRIFTMOTE_TEST_PID));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};
