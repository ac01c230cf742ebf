// SPDX-License-Identifier: MIT
// driftmote-sim's snapshots, seeds and picture names: a run saved and loaded
// continues bit for bit, the seed is the generator's start wherever it is given,
// bad files end the run naming them, and picture names are read strictly.

#include "ParticleSystem.h"
#include "PicturePattern.h"
#include "RandomUnit.h"
#include "SimCli.h"
#include "SimCliRun.h"
#include "Snapshot.h"
#include "AtomicFile.h"
#include "SnapshotFile.h"
#include "SnapshotState.h"
#include "SwarmParams.h"
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

TEST_F(SimCliFiles, ASavedRunContinuesBitForBit)
{
    // How the saved state is made, and what the reference does after the save
    // point, as the options after --load do.
    struct Case {
        const char* what;
        std::vector<std::string> before; // options of the run that saves
        bool nanVelocities;              // the saved file gets two velocities that are not numbers
        std::vector<std::string> after;  // options after --load
        std::function<void(ParticleSystem&, std::string (&)[4], int&)> reference;
    };
    const auto typed = [](ParticleSystem& ps, std::string (&texts)[4], ParamBox box, const char* text) {
        texts[static_cast<int>(box)] = text;
        ApplyText(ps, box, text);
    };
    const auto preset = [=](ParticleSystem& ps, std::string (&texts)[4], int& index, int k) {
        const PresetTexts& row = PresetRow(k);
        typed(ps, texts, ParamBox::Num, row.num);
        typed(ps, texts, ParamBox::Attraction, row.attraction);
        typed(ps, texts, ParamBox::Repulsion, row.repulsion);
        typed(ps, texts, ParamBox::Friction, row.friction);
        index = k;
    };
    const Case cases[] = {
        {"frames only", {"--frames", "60"}, false, {"--frames", "40"}, nullptr},
        {"a preset after loading", {"--preset", "1", "--frames", "30"}, false, {"--preset", "2", "--frames", "25"},
         [=](ParticleSystem& ps, std::string (&t)[4], int& p) { preset(ps, t, p, 2); }},
        {"a new count and friction after loading", {"--preset", "3", "--frames", "30"}, false,
         {"--num", "50", "--friction", " .05z", "--frames", "25"},
         [=](ParticleSystem& ps, std::string (&t)[4], int&) {
             typed(ps, t, ParamBox::Num, "50");
             typed(ps, t, ParamBox::Friction, " .05z");
         }},
        {"NaN velocities", {"--frames", "20"}, true, {"--frames", "30"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string saved = Path("saved.driftmote");
        std::vector<std::string> args = c.before;
        args.insert(args.end(), {"--print", "none", "--save", saved});
        ASSERT_EQ(RunTool(args).status, 0);
        Snapshot snapshot;
        std::string error;
        ASSERT_TRUE(LoadSnapshotFile(saved, snapshot, error)) << error;
        if (c.nanVelocities) {
            snapshot.particles[1].vx = std::numeric_limits<float>::quiet_NaN();
            snapshot.particles[4].vy = std::numeric_limits<float>::quiet_NaN();
            ASSERT_TRUE(SaveFileAtomically(saved, WriteSnapshot(snapshot), error)) << error;
        }

        // The reference: the saved state continued in-process, from another generator state.
        SetPortableRandState(4242);
        ParticleSystem ps;
        ASSERT_TRUE(ApplyParticles(snapshot, ps));
        for (ParamBox box : {ParamBox::Attraction, ParamBox::Repulsion, ParamBox::Friction})
            ApplyText(ps, box, snapshot.texts[static_cast<int>(box)]);
        if (c.reference)
            c.reference(ps, snapshot.texts, snapshot.preset);
        for (int i = 0; i < std::stoi(c.after.back()); ++i)
            ps.Step();
        CaptureParticles(ps, snapshot);

        // The tool starts elsewhere (another seed, other texts) and loads the file.
        args = {"--seed", "99", "--preset", "4", "--load", saved};
        args.insert(args.end(), c.after.begin(), c.after.end());
        args.insert(args.end(), {"--print", "none", "--save", Path("continued.driftmote")});
        const Result r = RunTool(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadAll(Path("continued.driftmote")), WriteSnapshot(snapshot));
    }

    // Saved and continued equals never interrupted; the name in Greek letters is
    // UTF-8 on every system.
    ASSERT_EQ(RunTool({"--frames", "60", "--print", "none", "--save", Path("μισό.driftmote")}).status, 0);
    ASSERT_EQ(RunTool({"--load", Path("μισό.driftmote"), "--frames", "40", "--save", Path("b.driftmote")}).status, 0);
    ASSERT_EQ(RunTool({"--frames", "100", "--save", Path("a.driftmote")}).status, 0);
    EXPECT_EQ(ReadAll(Path("b.driftmote")), ReadAll(Path("a.driftmote")));
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
