// The window menu's entries and the routing of window commands.

#include "WindowMenu.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

TEST(WindowMenu, UsualCommandsThenSeparatorThenAbout)
{
    ASSERT_EQ(std::size(kWindowMenu), 6u);
    const unsigned ids[] = {0xF120, 0xF020, 0xF030, 0xF060};
    const char* texts[] = {"&Restore", "Mi&nimize", "Ma&ximize", "&Close"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(kWindowMenu[i].id, ids[i]);
        EXPECT_EQ(std::string(kWindowMenu[i].text), texts[i]);
        EXPECT_FALSE(IsSeparator(kWindowMenu[i]));
    }
    EXPECT_TRUE(IsSeparator(kWindowMenu[4]));
    // The About entry ends the menu, with A as its access key.
    EXPECT_EQ(kWindowMenu[5].id, 16u);
    EXPECT_EQ(std::string(kWindowMenu[5].text), "&About Driftmote...");
    EXPECT_EQ(IDS_ABOUTBOX, 101);
}

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
    // Normal window: no Restore.
    EXPECT_FALSE(IsWindowCommandEnabled(SC_RESTORE, false, false));
    EXPECT_TRUE(IsWindowCommandEnabled(SC_MINIMIZE, false, false));
    EXPECT_TRUE(IsWindowCommandEnabled(SC_MAXIMIZE, false, false));
    // Maximised: Restore, no Maximize.
    EXPECT_TRUE(IsWindowCommandEnabled(SC_RESTORE, false, true));
    EXPECT_FALSE(IsWindowCommandEnabled(SC_MAXIMIZE, false, true));
    // Minimised: Restore, no Minimize.
    EXPECT_TRUE(IsWindowCommandEnabled(SC_RESTORE, true, false));
    EXPECT_FALSE(IsWindowCommandEnabled(SC_MINIMIZE, true, false));
    // Close and About always.
    for (const bool minimized : {false, true})
        for (const bool maximized : {false, true}) {
            EXPECT_TRUE(IsWindowCommandEnabled(SC_CLOSE, minimized, maximized));
            EXPECT_TRUE(IsWindowCommandEnabled(IDM_ABOUTBOX, minimized, maximized));
        }
}
