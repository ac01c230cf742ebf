// SPDX-License-Identifier: MIT
// The session: what typing, presets, the pointer, the pause and snapshots do to a
// running Driftmote, whichever front end asks.

#include "BitCompare.h"
#include "FastStep.h"
#include "GrabRules.h"
#include "RandomUnit.h"
#include "SwarmSession.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<Particle> ParticlesOf(const SwarmSession& session)
{
    const ParticleSystem& ps = session.Particles();
    return std::vector<Particle>(ps.m_pCur, ps.m_pCur + ps.m_nCount);
}

::testing::AssertionResult SameState(const SwarmSession& expected, const SwarmSession& actual)
{
    const ParticleSystem& e = expected.Particles();
    const ParticleSystem& a = actual.Particles();
    if (e.m_nCount != a.m_nCount)
        return ::testing::AssertionFailure() << "count " << a.m_nCount << ", expected " << e.m_nCount;
    for (int i = 0; i < kParamBoxCount; ++i)
        if (expected.Text(static_cast<ParamBox>(i)) != actual.Text(static_cast<ParamBox>(i)))
            return ::testing::AssertionFailure() << "text " << i << " is '" << actual.Text(static_cast<ParamBox>(i))
                                                 << "', expected '" << expected.Text(static_cast<ParamBox>(i)) << "'";
    if (expected.Preset() != actual.Preset())
        return ::testing::AssertionFailure() << "preset " << actual.Preset() << ", expected " << expected.Preset();
    return SameParticles(e.m_pCur, a.m_pCur, e.m_nCount);
}

// Resting particles at known places with no forces, so that only the pointer moves them.
void Place(SwarmSession& session, const std::vector<std::pair<float, float>>& positions)
{
    Snapshot s;
    s.texts[0] = std::to_string(positions.size());
    s.texts[1] = s.texts[2] = s.texts[3] = "0";
    for (const auto& [x, y] : positions)
        s.particles.push_back(Particle{x, y, 0.0f, 0.0f, 0.0f});
    ASSERT_EQ(session.RestoreSnapshot(s), SessionResult::Done);
}

} // namespace

TEST(Session, PresetsWrapBothWaysAndAlwaysRescatter)
{
    SwarmSession session;
    ASSERT_EQ(session.Start(), SessionResult::Done);
    session.PresetPrev();
    EXPECT_EQ(session.Preset(), 4);
    EXPECT_EQ(session.Text(ParamBox::Num), kPresets[4].num);
    EXPECT_EQ(session.Text(ParamBox::Repulsion), kPresets[4].repulsion);
    EXPECT_EQ(session.Particles().m_fRepulsion, 0.0001f);
    const std::vector<Particle> before = ParticlesOf(session);
    // Choosing the same row again types the same count: the particles still rescatter.
    session.SelectPreset(4);
    EXPECT_FALSE(SameParticles(before.data(), session.Particles().m_pCur, session.Particles().m_nCount));
    session.PresetNext();
    EXPECT_EQ(session.Preset(), 0);
    EXPECT_EQ(session.Text(ParamBox::Friction), kPresets[0].friction);
}

TEST(Session, ALargeCountAsksFirstAndNoPutsTheCountInUseBack)
{
    struct Case {
        const char* typed;
        bool answer;
        std::vector<int> asked; // the counts the front end is asked about
        int count;              // afterwards
        const char* text;       // the Num text afterwards
        SessionResult result;
    };
    const Case cases[] = {
        {"350", false, {}, 350, "350", SessionResult::Done},
        {"351", true, {351}, 351, "351", SessionResult::Done},
        {"400x", false, {400}, 67, "67", SessionResult::Declined},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SwarmSession session;
        ASSERT_EQ(session.Start(), SessionResult::Done);
        std::vector<int> asked;
        session.m_confirmLargeCount = [&](int count) {
            asked.push_back(count);
            return c.answer;
        };
        EXPECT_EQ(session.TypeText(ParamBox::Num, c.typed), c.result);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(session.Particles().m_nCount, c.count);
        EXPECT_EQ(session.Text(ParamBox::Num), c.text);
    }
    // The count in use is not asked about again.
    SwarmSession session;
    session.m_confirmLargeCount = [](int) { return true; };
    session.Start();
    session.TypeText(ParamBox::Num, "500");
    session.m_confirmLargeCount = [](int) -> bool { throw "asked again"; };
    EXPECT_EQ(session.TypeText(ParamBox::Num, "500 "), SessionResult::Done);
    // No types the count in use back, which rescatters it as typing it does.
    SetPortableRandState(1);
    SwarmSession retyped;
    retyped.Start();
    retyped.TypeText(ParamBox::Num, "67");
    SetPortableRandState(1);
    SwarmSession declined;
    declined.Start();
    declined.m_confirmLargeCount = [](int) { return false; };
    declined.TypeText(ParamBox::Num, "400");
    EXPECT_TRUE(SameState(retyped, declined));
}

TEST(Session, ACountThatCannotBeMadeChangesNothing)
{
    const struct {
        const char* typed;
        bool stop; // the front end asks to stop during the scatter
        SessionResult result;
    } cases[] = {{"2147483647", false, SessionResult::NoMemory}, {"100000", true, SessionResult::Stopped}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        SwarmSession session;
        ASSERT_EQ(session.Start(), SessionResult::Done);
        session.Frame();
        session.m_shouldStop = [&c] { return c.stop; };
        const std::vector<Particle> before = ParticlesOf(session);
        const std::uint32_t generator = PortableRandState();
        EXPECT_EQ(session.TypeText(ParamBox::Num, c.typed), c.result);
        EXPECT_EQ(session.Text(ParamBox::Num), "67");
        ASSERT_EQ(session.Particles().m_nCount, 67);
        EXPECT_TRUE(SameParticles(before.data(), session.Particles().m_pCur, 67));
        EXPECT_EQ(PortableRandState(), generator);
    }
}

TEST(Session, ALongStepCanBeAbandonedChangingNothing)
{
    // On one thread, and on two, where a helper may do most of the step and may
    // still be at work when it stops.
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        SwarmSession session;
        ASSERT_EQ(session.Start(), SessionResult::Done);
        session.SetStepThreads(threads);
        ASSERT_EQ(session.TypeText(ParamBox::Num, std::to_string(kStopCheckFrom)), SessionResult::Done);
        ASSERT_TRUE(session.Frame());
        int looks = 0;
        session.m_shouldStop = [&looks] { return ++looks >= 2; }; // stop part-way through
        const std::vector<Particle> before = ParticlesOf(session);
        EXPECT_FALSE(session.Frame());
        EXPECT_EQ(looks, 2);
        EXPECT_TRUE(SameParticles(before.data(), session.Particles().m_pCur, kStopCheckFrom));
        session.m_shouldStop = nullptr;
        EXPECT_TRUE(session.Frame());
        EXPECT_FALSE(SameParticles(before.data(), session.Particles().m_pCur, kStopCheckFrom));
    }
}

TEST(Session, TheHeldParticleFollowsThePointerAndFliesOnWhenLetGo)
{
    SwarmSession session;
    Place(session, {{2.0f, 2.0f}, {2.1f, 2.0f}, {8.0f, 8.0f}});
    // The lowest index within the radius is picked.
    session.PointerMove(2.05f, 2.0f, false, 0.3, 0.0);
    EXPECT_EQ(session.Hover(), 0);
    session.PointerPress();
    ASSERT_EQ(session.Drag(), 0);
    // Held: the particle keeps its grab offset from the pointer; hover stays on it.
    session.PointerMove(3.05f, 2.5f, true, 0.3, 0.0);
    EXPECT_EQ(session.Hover(), 0);
    session.Frame();
    EXPECT_EQ(session.Particles().m_pCur[0].x, 3.0f);
    EXPECT_EQ(session.Particles().m_pCur[0].y, 2.5f);
    const float flungX = session.Particles().m_pCur[0].vx;
    EXPECT_GT(flungX, 0.0f);
    session.PointerRelease(0.0);
    EXPECT_EQ(session.Drag(), -1);
    session.Frame();
    EXPECT_GT(session.Particles().m_pCur[0].x, 3.0f);
    // A release that never came ends the hold at the next move without the button.
    session.PointerMove(8.0f, 8.0f, false, 0.3, 0.0);
    session.PointerPress();
    ASSERT_EQ(session.Drag(), 2);
    session.PointerMove(5.0f, 5.0f, false, 0.3, 0.0);
    EXPECT_EQ(session.Drag(), -1);
    // A new count drops both indexes.
    session.PointerMove(8.0f, 8.0f, false, 0.3, 0.0);
    session.PointerPress();
    session.TypeText(ParamBox::Num, "1");
    EXPECT_EQ(session.Hover(), -1);
    EXPECT_EQ(session.Drag(), -1);
    // So does a state put back: its particles stay where they were saved.
    Place(session, {{8.0f, 8.0f}});
    session.PointerMove(8.0f, 8.0f, false, 0.3, 0.0);
    session.PointerPress();
    Place(session, {{5.0f, 5.0f}});
    session.Frame();
    EXPECT_EQ(session.Particles().m_pCur[0].x, 5.0f);
}

TEST(Session, ALetGoParticleTakesThePointersSpeedPerFrameAtAnyFrameRate)
{
    // Simulated milliseconds: a frame every frameMs, then up to t = 96 a pointer
    // event every 8 ms (125 Hz), moving 1/1024 world units a ms across and 1/2048
    // down; the release comes restMs after the last event, frames running meanwhile.
    const struct {
        int frameMs, restMs;
        float vx; // expected: half the pointer's movement per frame, or rest; vy is -vx / 2
    } cases[] = {
        {1, 0, 1.0f / 2048}, // the last event not yet held by a frame
        {1, 7, 1.0f / 2048},  {1, 50, 1.0f / 2048}, {1, 51, 0.0f}, // beyond kFlingPauseMs: rest
        {16, 0, 1.0f / 128},  {16, 15, 1.0f / 128},
        {16, 40, 1.0f / 256}, // the frame after the last event held only its 8 ms
    };
    static_assert(kFlingPauseMs == 50.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frameMs << " ms frames, release " << c.restMs << " ms after");
        SwarmSession session;
        Place(session, {{2.0f, 5.0f}});
        session.PointerMove(2.0f, 5.0f, false, 0.3, 0);
        session.PointerPress();
        for (int t = 1; t <= 96 + c.restMs; ++t) {
            if (t % c.frameMs == 0)
                session.Frame();
            if (t % 8 == 0 && t <= 96)
                session.PointerMove(2.0f + t / 1024.0f, 5.0f - t / 2048.0f, true, 0.3, t);
        }
        session.PointerRelease(96 + c.restMs);
        EXPECT_EQ(session.Particles().m_pCur[0].vx, c.vx);
        EXPECT_EQ(session.Particles().m_pCur[0].vy, -c.vx / 2);
    }
}

TEST(Session, PausedFramesHoldWithoutSteppingAndOneFrameStepsOnce)
{
    SwarmSession paused;
    SwarmSession running;
    SetPortableRandState(1);
    ASSERT_EQ(paused.Start(), SessionResult::Done);
    SetPortableRandState(1);
    ASSERT_EQ(running.Start(), SessionResult::Done);
    EXPECT_FALSE(running.StepOneFrame());
    paused.SetPaused(true);
    paused.Frame();
    EXPECT_TRUE(SameState(running, paused));
    EXPECT_TRUE(paused.StepOneFrame());
    running.Frame();
    EXPECT_TRUE(SameState(running, paused));
}

class SessionFiles : public TempFolderTest {};

TEST_F(SessionFiles, ASavedRunContinuesBitForBitAcrossPresetsAndRescatters)
{
    struct Case {
        const char* what;
        int preset;
        bool nanVelocities;
    };
    const Case cases[] = {{"start", 0, false}, {"preset 2", 2, false}, {"NaN velocities", 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetPortableRandState(1);
        SwarmSession original;
        ASSERT_EQ(original.Start(), SessionResult::Done);
        original.SelectPreset(c.preset);
        original.TypeText(ParamBox::Friction, " .05z");
        for (int i = 0; i < 30; ++i)
            original.Frame();
        if (c.nanVelocities) {
            Snapshot s = original.CaptureSnapshot();
            s.particles[1].vx = -std::numeric_limits<float>::quiet_NaN(); // as arithmetic makes it
            s.particles[4].vy = std::numeric_limits<float>::quiet_NaN();
            ASSERT_EQ(original.RestoreSnapshot(s), SessionResult::Done);
        }
        std::string error;
        ASSERT_EQ(original.SaveSnapshotFile(Path("run.driftmote"), error), SessionResult::Done) << error;

        // The generator is the program's one: each run goes on in turn.
        const auto goOn = [](SwarmSession& s) {
            for (int i = 0; i < 20; ++i)
                s.Frame();
            s.PresetNext(); // draws from the generator the snapshot carried
            s.Frame();
        };
        goOn(original);

        // Another state and another generator state before the file is opened.
        SwarmSession opened;
        opened.Start();
        opened.PresetNext();
        SetPortableRandState(12345);
        ASSERT_EQ(opened.OpenSnapshotFile(Path("run.driftmote"), error), SessionResult::Done) << error;
        goOn(opened);
        EXPECT_TRUE(SameState(original, opened));
    }
}

TEST_F(SessionFiles, OpeningALargeSnapshotAsksFirstAndNoChangesNothing)
{
    SwarmSession large;
    large.Start();
    large.TypeText(ParamBox::Num, "400");
    std::string error;
    ASSERT_EQ(large.SaveSnapshotFile(Path("large.driftmote"), error), SessionResult::Done) << error;

    SwarmSession session;
    session.Start();
    const Snapshot before = session.CaptureSnapshot();
    int asked = 0;
    session.m_confirmLargeCount = [&](int count) {
        asked = count;
        return false;
    };
    EXPECT_EQ(session.OpenSnapshotFile(Path("large.driftmote"), error), SessionResult::Declined);
    EXPECT_EQ(asked, 400);
    EXPECT_EQ(WriteSnapshot(session.CaptureSnapshot()), WriteSnapshot(before));
}
