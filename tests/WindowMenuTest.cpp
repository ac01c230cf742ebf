// SPDX-License-Identifier: MIT
// Which window commands the menu offers in each window state, and their routing.

#include "WindowMenu.h"

#include <gtest/gtest.h>

TEST(WindowMenu, RoutingMasksTheLowFourBits)
{
    EXPECT_EQ(RouteSysCommand(16), SysCommandAction::About);
    EXPECT_EQ(RouteSysCommand(0x001F), SysCommandAction::About);
    // Neighbours of the About id are not About.
    EXPECT_EQ(RouteSysCommand(0x0000), SysCommandAction::None);
    EXPECT_EQ(RouteSysCommand(0x0020), SysCommandAction::None);
    EXPECT_EQ(RouteSysCommand(0xF010), SysCommandAction::None);
    // Window commands pass on to the default processing, low bits and all.
    EXPECT_EQ(RouteSysCommand(0xF120), SysCommandAction::Restore);
    EXPECT_EQ(RouteSysCommand(0xF022), SysCommandAction::Minimize);
    EXPECT_EQ(RouteSysCommand(0xF032), SysCommandAction::Maximize);
    EXPECT_EQ(RouteSysCommand(0xF063), SysCommandAction::Close);
    EXPECT_EQ(RouteSysCommand(0xF016), SysCommandAction::None);
    // The dialog's own commands, also with low bits set.
    EXPECT_EQ(RouteSysCommand(IDM_PAUSE | 1), SysCommandAction::Pause);
    EXPECT_EQ(RouteSysCommand(IDM_STEP_FRAME), SysCommandAction::StepFrame);
    EXPECT_EQ(RouteSysCommand(IDM_SAVE_PICTURE), SysCommandAction::SavePicture);
    EXPECT_EQ(RouteSysCommand(IDM_SAVE_SNAPSHOT), SysCommandAction::SaveSnapshot);
    EXPECT_EQ(RouteSysCommand(IDM_OPEN_SNAPSHOT | 0xF), SysCommandAction::OpenSnapshot);
    EXPECT_EQ(RouteSysCommand(IDM_RECORD_VIDEO | 2), SysCommandAction::RecordVideo);
    EXPECT_EQ(RouteSysCommand(0x0160), SysCommandAction::None);
}

TEST(WindowMenu, CommandsGreyedByWindowState)
{
    const unsigned commands[] = {SysCommand::Restore, SysCommand::Minimize, SysCommand::Maximize, SysCommand::Close, IDM_ABOUTBOX, IDM_PAUSE, IDM_STEP_FRAME};
    const struct {
        bool minimized, maximized, paused;
        bool enabled[7]; // in the order of `commands`
    } rows[] = {
        {false, false, false, {false, true, true, true, true, true, false}},
        {true, false, false, {true, false, true, true, true, true, false}},
        {false, true, false, {true, true, false, true, true, true, false}},
        {false, false, true, {false, true, true, true, true, true, true}},
        {true, false, true, {true, false, true, true, true, true, true}},
    };
    for (const auto& r : rows)
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(IsWindowCommandEnabled(commands[c], r.minimized, r.maximized, r.paused), r.enabled[c])
                << "command " << commands[c] << ", minimized " << r.minimized << ", maximized " << r.maximized
                << ", paused " << r.paused;
}
