// SPDX-License-Identifier: MIT
#pragma once

// Identifiers of the program's resources and controls, with their values.

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_SWARM_DIALOG = 102;

// The one string and the window-menu command that shows it.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDM_ABOUTBOX = 0x0010;
inline constexpr const char* kAboutMenuText = "&About Driftmote...";

// The window menu's own commands: pausing, a single frame, the files and the video.
inline constexpr int IDM_PAUSE = 0x0100;
inline constexpr int IDM_STEP_FRAME = 0x0110;
inline constexpr int IDM_SAVE_PICTURE = 0x0120;
inline constexpr int IDM_SAVE_SNAPSHOT = 0x0130;
inline constexpr int IDM_OPEN_SNAPSHOT = 0x0140;
inline constexpr int IDM_RECORD_VIDEO = 0x0150;

// The program's icon: a 32 by 32 and a 16 by 16 picture, 16 colours each.
inline constexpr int IDR_MAINFRAME = 128;

// Controls of the main dialog. There is no 1010.
inline constexpr int IDC_CANVAS = 1000;
inline constexpr int IDC_NUM = 1001;
inline constexpr int IDC_NUM_LABEL = 1002;
inline constexpr int IDC_PLAY_NICE = 1003;
inline constexpr int IDC_ATTRACTION = 1004;
inline constexpr int IDC_ATTRACTION_LABEL = 1005;
inline constexpr int IDC_REPULSION = 1006;
inline constexpr int IDC_REPULSION_LABEL = 1007;
inline constexpr int IDC_FRICTION = 1008;
inline constexpr int IDC_FRICTION_LABEL = 1009;
inline constexpr int IDC_CREDIT = 1011;
inline constexpr int IDC_PRESET_PREV = 1012;
inline constexpr int IDC_PRESET_NEXT = 1013;
inline constexpr int IDC_PRESETS_LABEL = 1014;

// Standard ids of the About box: its OK button and the controls that need no id.
// They are the system's IDOK and IDC_STATIC, under names that its headers' macros
// leave alone.
inline constexpr int kIdOk = 1;
inline constexpr int kIdStatic = -1;
