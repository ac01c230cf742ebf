// SPDX-License-Identifier: MIT
// driftmote-sim's snapshots, seeds and picture names: --load takes the place of
// what came before it, the seed is the generator's start wherever it is given,
// bad files end the run naming them, and picture names are read strictly.

#include "PicturePattern.h"
#include "SimCliRun.h"
#include "SwarmSession.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {


std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using SimCliFiles = TempFolderTest;

TEST_F(SimCliFiles, LoadReplacesWhatCameBeforeAndLaterOptionsApplyOnTop)
{
    // The name in Greek letters is UTF-8 on every system.
    ASSERT_EQ(RunTool({"--frames", "60", "--print", "none", "--save", Path("μισό.driftmote")}).status, 0);

    // What comes before --load is replaced, the generator included; the options
    // after it are the session's calls, in their order.
    SwarmSession session;
    std::string error;
    ASSERT_EQ(session.OpenSnapshotFile(Path("μισό.driftmote"), error), SessionResult::Done) << error;
    session.SelectPreset(2);
    session.TypeText(ParamBox::Num, "50");
    session.TypeText(ParamBox::Friction, " .05z");
    for (int i = 0; i < 25; ++i)
        session.Frame();
    ASSERT_EQ(session.SaveSnapshotFile(Path("expected.driftmote"), error), SessionResult::Done) << error;
    const Result r = RunTool({"--seed", "99", "--preset", "4", "--load", Path("μισό.driftmote"), "--preset", "2",
                              "--num", "50", "--friction", " .05z", "--frames", "25", "--print", "none", "--save",
                              Path("continued.driftmote")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadAll(Path("continued.driftmote")), ReadAll(Path("expected.driftmote")));
}

TEST_F(SimCliFiles, TheSeedIsTheStartWhereverItIsGiven)
{
    const std::string start = RunTool({"--frames", "5"}).out;
    EXPECT_EQ(RunTool({"--seed", "1", "--frames", "5"}).out, start);
    EXPECT_EQ(RunTool({"--frames", "5", "--seed", "1"}).out, start);
    const std::string seven = RunTool({"--seed", "7", "--num", "20", "--frames", "5"}).out;
    EXPECT_NE(seven.substr(22), RunTool({"--num", "20", "--frames", "5"}).out.substr(22));
    EXPECT_EQ(RunTool({"--num", "20", "--seed=7", "--frames", "5"}).out, seven);
    EXPECT_EQ(RunTool({"--num", "20", "--frames", "5", "--seed", "7"}).out, seven);
    // The last --seed counts; both ends of the range are seeds.
    EXPECT_EQ(RunTool({"--seed", "3", "--seed", "7", "--num", "20", "--frames", "5"}).out, seven);
    EXPECT_EQ(RunTool({"--seed", "0", "--frames", "0"}).status, 0);
    EXPECT_EQ(RunTool({"--seed", "4294967295", "--frames", "0"}).status, 0);
    for (const char* bad : {"4294967296", "-1", "1e3", ""}) {
        const Result r = RunTool({"--seed", bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--seed"), std::string::npos) << r.err;
    }
}

TEST_F(SimCliFiles, BadFilesEndTheRunNamingThem)
{
    {
        std::ofstream(Path("bad.driftmote")) << "{\"format\": \"something else\"}";
    }
    std::filesystem::create_directory(Path("folder.driftmote"));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--load", Path("missing.driftmote")}, Path("missing.driftmote") + ": "},
        {{"--load", Path("bad.driftmote")}, Path("bad.driftmote") + ": "},
        {{"--frames", "1", "--save", Path("folder.driftmote")}, Path("folder.driftmote") + ": "},
        {{"--frames", "1", "--save", Path("no folder/x.driftmote")}, Path("no folder/x.driftmote") + ": "},
    };
    for (const auto& [args, says] : cases) {
        const Result r = RunTool(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_EQ(r.err.rfind("driftmote-sim: " + says, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find("--help"), std::string::npos) << r.err;
    }
    // A failed save keeps the file that was there.
    {
        std::ofstream(Path("kept.driftmote")) << "previous";
    }
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool writable = std::ofstream(Path("probe")).good(); // root writes anyway
    const Result r = RunTool({"--frames", "1", "--save", Path("kept.driftmote")});
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all);
    if (!writable) {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(ReadAll(Path("kept.driftmote")), "previous");
    }
}

TEST(PicturePattern, NamesAreReadStrictly)
{
    const struct {
        const char* pattern;
        const char* frame7;  // the name of frame 7, or null when the pattern is refused
        const char* frame12345;
    } cases[] = {
        {"run.png", "run.png", "run.png"},
        {"f%05d.png", "f00007.png", "f12345.png"},
        {"f%3d.png", "f  7.png", "f12345.png"},
        {"%d", "7", "12345"},
        {"100%%-%d.png", "100%-7.png", "100%-12345.png"},
        {"a%%d.png", "a%d.png", "a%d.png"},
        {"%019d", "0000000000000000007", "0000000000000012345"},
        {"f%s.png", nullptr, nullptr},
        {"f%x.png", nullptr, nullptr},
        {"f%-3d.png", nullptr, nullptr},
        {"f%5.2d.png", nullptr, nullptr},
        {"f%ld.png", nullptr, nullptr},
        {"f%n.png", nullptr, nullptr},
        {"%d-%d.png", nullptr, nullptr},
        {"100%.png", nullptr, nullptr},
        {"f%", nullptr, nullptr},
        {"f%020d", nullptr, nullptr},
        {"f%99999999999999999999d", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<PicturePattern> pattern = ParsePicturePattern(c.pattern, error);
        ASSERT_EQ(pattern.has_value(), c.frame7 != nullptr) << c.pattern;
        if (!pattern) {
            EXPECT_NE(error.find(c.pattern), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(PictureName(*pattern, 7), c.frame7) << c.pattern;
        EXPECT_EQ(PictureName(*pattern, 12345), c.frame12345) << c.pattern;
    }
}

} // namespace
