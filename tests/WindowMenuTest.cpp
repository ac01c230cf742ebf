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
}

TEST(WindowMenu, CommandsGreyedByWindowState)
{
    // Restore only when minimised or maximised, Minimize and Maximize not in their
    // own state; Close and About always.
    for (const bool minimized : {false, true})
        for (const bool maximized : {false, true}) {
            const bool normal = !minimized && !maximized;
            EXPECT_EQ(IsWindowCommandEnabled(SC_RESTORE, minimized, maximized), !normal);
            EXPECT_EQ(IsWindowCommandEnabled(SC_MINIMIZE, minimized, maximized), !minimized);
            EXPECT_EQ(IsWindowCommandEnabled(SC_MAXIMIZE, minimized, maximized), !maximized);
            EXPECT_TRUE(IsWindowCommandEnabled(SC_CLOSE, minimized, maximized));
            EXPECT_TRUE(IsWindowCommandEnabled(IDM_ABOUTBOX, minimized, maximized));
        }
}
