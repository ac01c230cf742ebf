// SPDX-License-Identifier: MIT
// What the window says of its state: the title and the canvas's description.

#include "DialogTemplate.h"
#include "WindowTexts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WindowTexts, TheTitleAndTheCanvasSayWhatRuns)
{
    const std::string caption = kSwarmDialog.caption;
    const struct {
        bool paused, recording;
        const char* title;
    } titles[] = {{false, false, ""}, {true, false, " (paused)"}, {false, true, " (recording)"},
                  {true, true, " (paused, recording)"}};
    for (const auto& t : titles)
        EXPECT_EQ(RunStateTitle(t.paused, t.recording), caption + t.title);
    const struct {
        int particles;
        bool paused;
        const char* description;
    } canvases[] = {{0, false, "0 particles, running"}, {1, true, "1 particle, paused"}, {67, false, "67 particles, running"}};
    for (const auto& c : canvases)
        EXPECT_EQ(CanvasDescription(c.particles, c.paused), c.description);
}

} // namespace
