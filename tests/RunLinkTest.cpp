// SPDX-License-Identifier: MIT
// The run as a link: its fragment both ways, what a front end's history makes of
// what the user did, and the link's start against driftmote-sim's run.

#include "BitCompare.h"
#include "RandomUnit.h"
#include "RunHistory.h"
#include "RunLink.h"
#include "SimCliRun.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LinkStep Edit(ParamBox box, std::string text)
{
    return {false, box, std::move(text), 0};
}

LinkStep Preset(int preset)
{
    return {true, ParamBox::Num, {}, preset};
}

TEST(RunLink, FragmentReadsBackAsWritten)
{
    const RunLink link{4294967295u,
                       {Edit(ParamBox::Num, " 12abc"), Preset(4), Edit(ParamBox::Attraction, "a&b=c%d#e+f"),
                        Edit(ParamBox::Repulsion, ""), Edit(ParamBox::Friction, "\xc3\xa9\x01~-._")},
                       9000000000LL};
    const std::string fragment = LinkFragment(link);
    EXPECT_EQ(fragment, "seed=4294967295&num=%2012abc&preset=4&attraction=a%26b%3Dc%25d%23e%2Bf&repulsion=&"
                        "friction=%C3%A9%01~-._&frames=9000000000");
    RunLink read;
    std::string error;
    ASSERT_TRUE(ParseLinkFragment("#" + fragment, read, error)) << error;
    EXPECT_EQ(read.seed, link.seed);
    EXPECT_EQ(read.frames, link.frames);
    ASSERT_EQ(read.steps.size(), link.steps.size());
    for (std::size_t i = 0; i < link.steps.size(); ++i) {
        EXPECT_EQ(read.steps[i].isPreset, link.steps[i].isPreset) << i;
        EXPECT_EQ(read.steps[i].box, link.steps[i].box) << i;
        EXPECT_EQ(read.steps[i].text, link.steps[i].text) << i;
        EXPECT_EQ(read.steps[i].preset, link.steps[i].preset) << i;
    }
}

TEST(RunLink, BadFragmentsAreRefusedWithAReason)
{
    const struct {
        const char* fragment;
        const char* says;
    } cases[] = {
        {"", "not name=value"},
        {"frames=3", "does not start with its seed"},
        {"num=3&seed=1&frames=0", "does not start with its seed"},
        {"seed=1", "does not end with its frames"},
        {"seed=1&num=3", "does not end with its frames"},
        {"seed=4294967296&frames=0", "seed must"},
        {"seed=-1&frames=0", "seed must"},
        {"seed=1&frames=x", "frames must"},
        {"seed=1&frames=1&num=3", "comes after its frames"},
        {"seed=1&preset=5&frames=0", "preset must be a number from 0 to 4"},
        {"seed=1&colour=red&frames=0", "names nothing"},
        {"seed=1&num&frames=0", "not name=value"},
        {"seed=1&num=%G1&frames=0", "not name=value"},
        {"seed=1&num=%4&frames=0", "not name=value"},
    };
    for (const auto& c : cases) {
        RunLink link{7, {Preset(2)}, 5};
        std::string error;
        EXPECT_FALSE(ParseLinkFragment(c.fragment, link, error)) << c.fragment;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.fragment << ": " << error;
        EXPECT_EQ(link.seed, 7u) << c.fragment;
        EXPECT_EQ(link.steps.size(), 1u) << c.fragment;
    }
}

// A session and its history, started as the page starts.
struct Page {
    SwarmSession session;
    RunHistory history;
    Page()
    {
        SetPortableRandState(kStartSeed);
        session.Start();
    }
    void Type(ParamBox box, const std::string& text) { history.Typed(session, box, session.TypeText(box, text)); }
    void Next() { history.PresetChosen(session, session.PresetNext()); }
    void Run(int frames)
    {
        for (int i = 0; i < frames; ++i)
            session.Frame();
        history.Stepped(frames);
    }
    std::string Link() const
    {
        std::string why;
        const std::optional<RunLink> link = history.Link(why);
        return link ? LinkFragment(*link) : "none: " + why;
    }
};

TEST(RunHistory, KeepsALinkUntilAStateNoOptionsGive)
{
    struct Case {
        const char* what;
        void (*act)(Page&);
        const char* link;
    };
    const Case cases[] = {
        {"the start", [](Page&) {}, "seed=1&frames=0"},
        {"keystrokes in one box are its last text",
         [](Page& p) {
             p.Type(ParamBox::Friction, ".");
             p.Type(ParamBox::Friction, ".5");
             p.Type(ParamBox::Num, "9");
             p.Run(3);
         },
         "seed=1&friction=.5&num=9&frames=3"},
        {"a coefficient typed after frames leaves no link",
         [](Page& p) {
             p.Run(2);
             p.Type(ParamBox::Repulsion, "1");
         },
         "none: the texts changed while the particles moved"},
        {"until a preset scatters anew",
         [](Page& p) {
             p.Run(2);
             p.Type(ParamBox::Repulsion, "1");
             p.Run(2);
             p.Next();
             p.Run(4);
         },
         "seed=1&repulsion=1&preset=1&frames=4"},
        {"a grabbed particle leaves no link until a count is typed",
         [](Page& p) {
             p.history.Grabbed();
             p.Run(1);
             p.Type(ParamBox::Num, "20");
         },
         "seed=1&num=20&frames=0"},
        {"an opened snapshot leaves none even after a count",
         [](Page& p) {
             p.history.SnapshotOpened();
             p.Type(ParamBox::Num, "20");
         },
         "none: the state comes from a snapshot file"},
    };
    for (const Case& c : cases) {
        Page page;
        c.act(page);
        EXPECT_EQ(page.Link(), c.link) << c.what;
    }
}

TEST(RunHistory, ADeclinedCountIsTheCountInUseTypedAgain)
{
    Page page;
    page.session.m_confirmLargeCount = [](int) { return false; };
    page.Type(ParamBox::Num, "400");
    EXPECT_EQ(page.Link(), "seed=1&num=67&frames=0");
    page.Next();
    EXPECT_EQ(page.Link(), "seed=1&num=67&preset=1&frames=0");
}

class RunLinkRun : public TempFolderTest {};

TEST_F(RunLinkRun, StartAndFramesGiveTheToolsParticles)
{
    const std::vector<std::string> options = {"--preset", "2", "--seed", "99", "--friction", ".01", "--num", "500",
                                              "--attraction", ".3"};
    std::vector<std::string> args = options;
    args.push_back("--link");
    const Result linked = RunTool(args);
    ASSERT_EQ(linked.status, 0) << linked.err;
    ASSERT_EQ(linked.out, "driftmote.html#seed=99&preset=2&friction=.01&num=500&attraction=.3&frames=1000\n");

    const std::string saved = Path("run.driftmote");
    args = options;
    args.insert(args.end(), {"--frames", "25", "--print", "none", "--save", saved});
    ASSERT_EQ(RunTool(args).status, 0);
    SwarmSession tool;
    std::string error;
    ASSERT_EQ(tool.OpenSnapshotFile(saved, error), SessionResult::Done) << error;

    RunLink link;
    ASSERT_TRUE(ParseLinkFragment(linked.out.substr(linked.out.find('#'), linked.out.size() - linked.out.find('#') - 1),
                                  link, error)) << error;
    SwarmSession page;
    page.m_confirmLargeCount = [](int) { return false; }; // the link asks nobody
    PortableRandRestart();
    ASSERT_EQ(StartRunLink(page, link), SessionResult::Done);
    for (int i = 0; i < 25; ++i)
        page.Frame();
    ASSERT_EQ(page.Particles().m_nCount, 500);
    EXPECT_TRUE(SameParticles(tool.Particles().m_pCur, page.Particles().m_pCur, 500));
    EXPECT_EQ(page.Text(ParamBox::Attraction), ".3");
}

TEST(RunLink, TheToolRefusesWhatALinkCannotCarry)
{
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--load", "x.driftmote", "--link"}, "--link cannot replay --load"},
        {{"--link", "--save", "x.driftmote"}, "so --save has nothing to do"},
        {{"--link", "--print", "3"}, "so --print has nothing to do"},
        {{"--bench", "--link"}, "so --bench has nothing to do"},
    };
    for (const auto& c : cases) {
        const Result r = RunTool(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

} // namespace
