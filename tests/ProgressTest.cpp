// SPDX-License-Identifier: MIT
#include "Progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

namespace {

TEST(Progress, LineGivesFramesRateAndTimeLeft)
{
    const struct {
        long long done, total;
        double seconds;
        const char* line;
    } cases[] = {
        {0, 500, 0.7, "frame 0/500"}, // no rate before the first frame
        {250, 1000, 0.5, "frame 250/1000, 500 frames/s, 0:02 left"},
        {1, 3, 1.5, "frame 1/3, 1 frames/s, 0:03 left"},            // partial seconds round up
        {1000, 1000, 2.0, "frame 1000/1000, 500 frames/s, 0:00 left"},
        {10, 100010, 1.0, "frame 10/100010, 10 frames/s, 2:46:40 left"}, // hours from an hour on
        {59, 3659, 59.0, "frame 59/3659, 1 frames/s, 1:00:00 left"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressLine(c.done, c.total, c.seconds), c.line);
}

TEST(Progress, ShownOnlyForRunsLongerThanAboutASecond)
{
    const struct {
        long long done, total;
        double seconds;
        bool wanted;
    } cases[] = {
        {10, 1000000, 0.4, false}, // too early to tell
        {0, 10, 0.5, true},        // not one frame in half a second
        {400, 1000, 0.5, true},    // 1.25 s in all
        {600, 1000, 0.5, false},   // 0.83 s in all
        {1000, 1000, 0.9, false},  // done
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressWanted(c.done, c.total, c.seconds), c.wanted) << c.done << '/' << c.total;
}

TEST(Progress, AMessageStartsOnALineOfItsOwn)
{
    std::chrono::steady_clock::time_point now{};
    std::ostringstream err;
    ProgressDisplay progress(err, true, 1000, [&] { return now; });
    now += std::chrono::seconds(1);
    progress.Update(10);
    ASSERT_FALSE(err.str().empty()) << "the line should show after a second at this rate";
    const std::size_t shown = err.str().size();
    progress.Say("driftmote-sim: cannot write the output: No space left on device");
    EXPECT_EQ(err.str().substr(shown), std::string(kEraseLine) +
                                           "driftmote-sim: cannot write the output: No space left on device\n");
}

} // namespace
