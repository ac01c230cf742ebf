// SPDX-License-Identifier: MIT
#pragma once

// The program's two dialog templates as plain data: each control's id, class,
// caption, place and size in dialog units, and style bits, in template order.
// The template order is also the keyboard order.

#include "Resource.h"

#include <cstdint>
#include <iterator>

// Window styles of a dialog or a control (the classic bit values).
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t DS_MODALFRAME = 0x00000080;

// Extended styles.
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t WS_EX_STATICEDGE = 0x00020000;
inline constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200;

// Static controls: the low five bits are the kind.
inline constexpr std::uint32_t SS_TYPEMASK = 0x1F;
inline constexpr std::uint32_t SS_LEFT = 0x00;
inline constexpr std::uint32_t SS_ICON = 0x03;
inline constexpr std::uint32_t SS_GRAYRECT = 0x08;
inline constexpr std::uint32_t SS_SUNKEN = 0x1000;

// Edit controls.
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;

// Buttons: the low four bits are the kind.
inline constexpr std::uint32_t BS_TYPEMASK = 0x0F;
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x00;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x01;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x03;
inline constexpr std::uint32_t BS_LEFTTEXT = 0x20;
inline constexpr std::uint32_t BS_CENTER = 0x300;
inline constexpr std::uint32_t BS_PUSHLIKE = 0x1000;
inline constexpr std::uint32_t BS_MULTILINE = 0x2000;

enum class ControlClass { Static, Edit, Button };

// One control. Captions may hold line breaks; an icon static names its icon in `resource`.
struct DialogItem {
    int id;
    const char* name; // the id's symbol, e.g. "IDC_NUM"
    ControlClass cls;
    const char* caption; // null for none
    int x, y, cx, cy;    // dialog units
    std::uint32_t style;
    std::uint32_t exStyle;
    int resource; // icon id of an icon static, else 0
};

struct DialogTemplate {
    int id;
    const char* caption;
    int cx, cy; // client size in dialog units
    const char* fontFace;
    int fontPointSize;
    std::uint32_t style;
    std::uint32_t exStyle;
    const DialogItem* items;
    int itemCount;
};

inline constexpr std::uint32_t kEditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
inline constexpr std::uint32_t kLabelStyle = SS_LEFT | WS_GROUP;

inline constexpr DialogItem kSwarmDialogItems[] = {
    {IDC_CANVAS, "IDC_CANVAS", ControlClass::Static, nullptr, 4, 2, 294, 284,
     SS_GRAYRECT | SS_SUNKEN, WS_EX_STATICEDGE | WS_EX_CLIENTEDGE, 0},
    {IDC_NUM, "IDC_NUM", ControlClass::Edit, nullptr, 322, 2, 19, 12, kEditStyle, 0, 0},
    {IDC_NUM_LABEL, "IDC_NUM_LABEL", ControlClass::Static, "Num", 304, 4, 15, 10, kLabelStyle, 0, 0},
    {IDC_PLAY_NICE, "IDC_PLAY_NICE", ControlClass::Button, "Play\nNice", 310, 271, 31, 15,
     BS_AUTOCHECKBOX | BS_PUSHLIKE | BS_MULTILINE | BS_LEFTTEXT | WS_TABSTOP, 0, 0},
    {IDC_ATTRACTION, "IDC_ATTRACTION", ControlClass::Edit, nullptr, 301, 21, 40, 12, kEditStyle, 0, 0},
    {IDC_ATTRACTION_LABEL, "IDC_ATTRACTION_LABEL", ControlClass::Static, "Attraction\n(Far)", 301, 34, 40, 17,
     kLabelStyle, 0, 0},
    {IDC_REPULSION, "IDC_REPULSION", ControlClass::Edit, nullptr, 301, 59, 40, 12, kEditStyle, 0, 0},
    {IDC_REPULSION_LABEL, "IDC_REPULSION_LABEL", ControlClass::Static, "Repulsion\n(Near)", 301, 72, 40, 16,
     kLabelStyle, 0, 0},
    {IDC_FRICTION, "IDC_FRICTION", ControlClass::Edit, nullptr, 301, 101, 40, 12, kEditStyle, 0, 0},
    {IDC_FRICTION_LABEL, "IDC_FRICTION_LABEL", ControlClass::Static, "Friction", 301, 114, 40, 16, kLabelStyle, 0, 0},
    {IDC_CREDIT, "IDC_CREDIT", ControlClass::Button, "Quenly\nVostrake\n200308", 300, 193, 40, 34,
     BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | WS_TABSTOP, 0, 0},
    {IDC_PRESET_PREV, "IDC_PRESET_PREV", ControlClass::Button, "<--", 300, 143, 19, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, 0},
    {IDC_PRESET_NEXT, "IDC_PRESET_NEXT", ControlClass::Button, "-->", 319, 143, 19, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, 0},
    {IDC_PRESETS_LABEL, "IDC_PRESETS_LABEL", ControlClass::Static, "Fun Presets", 300, 159, 38, 8, kLabelStyle, 0, 0},
};

// Resizable main window with minimise and maximise boxes, shown on the task bar.
inline constexpr DialogTemplate kSwarmDialog = {
    IDD_SWARM_DIALOG, "Driftmote", 344, 288, "MS Sans Serif", 8,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
    WS_EX_APPWINDOW, kSwarmDialogItems, static_cast<int>(std::size(kSwarmDialogItems)),
};

inline constexpr DialogItem kAboutBoxItems[] = {
    {IDC_STATIC, "IDC_ICON1", ControlClass::Static, nullptr, 207, 25, 20, 20, SS_ICON, 0, IDR_MAINFRAME},
    {IDOK, "IDOK", ControlClass::Button, "Rad", 205, 70, 23, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 0},
    {IDC_STATIC, "IDC_TEXT1", ControlClass::Static,
     "I was thinking about cheerios, obviously. The motion of the particles in this program is entirely "
     "modelled with force effects, without any model of 'surfaces'*.",
     7, 7, 195, 24, kLabelStyle, 0, 0},
    {IDC_STATIC, "IDC_TEXT2", ControlClass::Static, "* Lie. The walls are modelled as surfaces.", 7, 52, 195, 9,
     kLabelStyle, 0, 0},
    {IDC_STATIC, "IDC_ICON2", ControlClass::Static, nullptr, 207, 7, 20, 20, SS_ICON, 0, IDR_MAINFRAME},
    {IDC_STATIC, "IDC_ICON3", ControlClass::Static, nullptr, 207, 46, 20, 20, SS_ICON, 0, IDR_MAINFRAME},
    {IDC_STATIC, "IDC_CREDIT_LINE", ControlClass::Static,
     "Quenly Vostrake 20030818, Saltmarsh, qv@example.org", 7, 75, 195, 9, kLabelStyle, 0, 0},
    {IDC_STATIC, "IDC_TEXT3", ControlClass::Static,
     "As of this writing, there's a \"Far\" attractive force and a \"Near\" repulsive force. "
     "(1/r^4 and 1/r^6, respectively).",
     7, 31, 195, 18, kLabelStyle, 0, 0},
};

// A modal box; the modal run shows it, so the template is not marked visible.
inline constexpr DialogTemplate kAboutBox = {
    IDD_ABOUTBOX, "About Driftmote", 235, 91, "MS Sans Serif", 8,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    0, kAboutBoxItems, static_cast<int>(std::size(kAboutBoxItems)),
};
