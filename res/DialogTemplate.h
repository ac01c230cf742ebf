// SPDX-License-Identifier: MIT
#pragma once

// The program's two dialog templates as plain data: each control's id, class,
// caption, place and size in dialog units, and style bits, in template order.
// The template order is also the keyboard order.

#include "Resource.h"

#include <cstdint>
#include <iterator>

// The style bits of a dialog or a control, with the classic values. They have names
// of their own, so that they mean the same beside the system's headers, whose
// macros of those values would otherwise replace them.

// Window styles.
namespace WindowStyle {
inline constexpr std::uint32_t Popup = 0x80000000;
inline constexpr std::uint32_t Visible = 0x10000000;
inline constexpr std::uint32_t Caption = 0x00C00000;
inline constexpr std::uint32_t Border = 0x00800000;
inline constexpr std::uint32_t SysMenu = 0x00080000;
inline constexpr std::uint32_t ThickFrame = 0x00040000;
inline constexpr std::uint32_t MinimizeBox = 0x00020000;
inline constexpr std::uint32_t MaximizeBox = 0x00010000;
inline constexpr std::uint32_t Group = 0x00020000;
inline constexpr std::uint32_t TabStop = 0x00010000;
} // namespace WindowStyle

// Dialog styles.
namespace DialogStyle {
inline constexpr std::uint32_t ModalFrame = 0x00000080;
} // namespace DialogStyle

// Extended styles.
namespace ExtendedStyle {
inline constexpr std::uint32_t AppWindow = 0x00040000;
inline constexpr std::uint32_t StaticEdge = 0x00020000;
inline constexpr std::uint32_t ClientEdge = 0x00000200;
} // namespace ExtendedStyle

// Static controls: the low five bits are the kind.
namespace StaticStyle {
inline constexpr std::uint32_t TypeMask = 0x1F;
inline constexpr std::uint32_t Left = 0x00;
inline constexpr std::uint32_t Icon = 0x03;
inline constexpr std::uint32_t GrayRect = 0x08;
inline constexpr std::uint32_t Sunken = 0x1000;
} // namespace StaticStyle

// Edit controls.
namespace EditStyle {
inline constexpr std::uint32_t AutoHScroll = 0x80;
} // namespace EditStyle

// Buttons: the low four bits are the kind.
namespace ButtonStyle {
inline constexpr std::uint32_t TypeMask = 0x0F;
inline constexpr std::uint32_t PushButton = 0x00;
inline constexpr std::uint32_t DefPushButton = 0x01;
inline constexpr std::uint32_t AutoCheckBox = 0x03;
inline constexpr std::uint32_t LeftText = 0x20;
inline constexpr std::uint32_t Center = 0x300;
inline constexpr std::uint32_t PushLike = 0x1000;
inline constexpr std::uint32_t MultiLine = 0x2000;
} // namespace ButtonStyle

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

inline constexpr std::uint32_t kEditStyle = WindowStyle::Border | WindowStyle::TabStop | EditStyle::AutoHScroll;
inline constexpr std::uint32_t kLabelStyle = StaticStyle::Left | WindowStyle::Group;

inline constexpr DialogItem kSwarmDialogItems[] = {
    {IDC_CANVAS, "IDC_CANVAS", ControlClass::Static, nullptr, 4, 2, 294, 284,
     StaticStyle::GrayRect | StaticStyle::Sunken, ExtendedStyle::StaticEdge | ExtendedStyle::ClientEdge, 0},
    {IDC_NUM, "IDC_NUM", ControlClass::Edit, nullptr, 322, 2, 19, 12, kEditStyle, 0, 0},
    {IDC_NUM_LABEL, "IDC_NUM_LABEL", ControlClass::Static, "Num", 304, 4, 15, 10, kLabelStyle, 0, 0},
    {IDC_PLAY_NICE, "IDC_PLAY_NICE", ControlClass::Button, "Play\nNice", 310, 271, 31, 15,
     ButtonStyle::AutoCheckBox | ButtonStyle::PushLike | ButtonStyle::MultiLine | ButtonStyle::LeftText | WindowStyle::TabStop, 0, 0},
    {IDC_ATTRACTION, "IDC_ATTRACTION", ControlClass::Edit, nullptr, 301, 21, 40, 12, kEditStyle, 0, 0},
    {IDC_ATTRACTION_LABEL, "IDC_ATTRACTION_LABEL", ControlClass::Static, "Attraction\n(Far)", 301, 34, 40, 17,
     kLabelStyle, 0, 0},
    {IDC_REPULSION, "IDC_REPULSION", ControlClass::Edit, nullptr, 301, 59, 40, 12, kEditStyle, 0, 0},
    {IDC_REPULSION_LABEL, "IDC_REPULSION_LABEL", ControlClass::Static, "Repulsion\n(Near)", 301, 72, 40, 16,
     kLabelStyle, 0, 0},
    {IDC_FRICTION, "IDC_FRICTION", ControlClass::Edit, nullptr, 301, 101, 40, 12, kEditStyle, 0, 0},
    {IDC_FRICTION_LABEL, "IDC_FRICTION_LABEL", ControlClass::Static, "Friction", 301, 114, 40, 16, kLabelStyle, 0, 0},
    {IDC_CREDIT, "IDC_CREDIT", ControlClass::Button, "Quenly\nVostrake\n200308", 300, 193, 40, 34,
     ButtonStyle::PushButton | ButtonStyle::MultiLine | ButtonStyle::Center | WindowStyle::TabStop, 0, 0},
    {IDC_PRESET_PREV, "IDC_PRESET_PREV", ControlClass::Button, "<--", 300, 143, 19, 14, ButtonStyle::PushButton | WindowStyle::TabStop, 0, 0},
    {IDC_PRESET_NEXT, "IDC_PRESET_NEXT", ControlClass::Button, "-->", 319, 143, 19, 14, ButtonStyle::PushButton | WindowStyle::TabStop, 0, 0},
    {IDC_PRESETS_LABEL, "IDC_PRESETS_LABEL", ControlClass::Static, "Fun Presets", 300, 159, 38, 8, kLabelStyle, 0, 0},
};

// Resizable main window with minimise and maximise boxes, shown on the task bar.
inline constexpr DialogTemplate kSwarmDialog = {
    IDD_SWARM_DIALOG, "Driftmote", 344, 288, "MS Sans Serif", 8,
    WindowStyle::Popup | WindowStyle::Visible | WindowStyle::Caption | WindowStyle::SysMenu | WindowStyle::ThickFrame | WindowStyle::MinimizeBox | WindowStyle::MaximizeBox,
    ExtendedStyle::AppWindow, kSwarmDialogItems, static_cast<int>(std::size(kSwarmDialogItems)),
};

inline constexpr DialogItem kAboutBoxItems[] = {
    {kIdStatic, "IDC_ICON1", ControlClass::Static, nullptr, 207, 25, 20, 20, StaticStyle::Icon, 0, IDR_MAINFRAME},
    {kIdOk, "IDOK", ControlClass::Button, "Rad", 205, 70, 23, 14, ButtonStyle::DefPushButton | WindowStyle::Group | WindowStyle::TabStop, 0, 0},
    {kIdStatic, "IDC_TEXT1", ControlClass::Static,
     "I was thinking about cheerios, obviously. The motion of the particles in this program is entirely "
     "modelled with force effects, without any model of 'surfaces'*.",
     7, 7, 195, 24, kLabelStyle, 0, 0},
    {kIdStatic, "IDC_TEXT2", ControlClass::Static, "* Lie. The walls are modelled as surfaces.", 7, 52, 195, 9,
     kLabelStyle, 0, 0},
    {kIdStatic, "IDC_ICON2", ControlClass::Static, nullptr, 207, 7, 20, 20, StaticStyle::Icon, 0, IDR_MAINFRAME},
    {kIdStatic, "IDC_ICON3", ControlClass::Static, nullptr, 207, 46, 20, 20, StaticStyle::Icon, 0, IDR_MAINFRAME},
    {kIdStatic, "IDC_CREDIT_LINE", ControlClass::Static,
     "Quenly Vostrake 20030818, Saltmarsh, qv@example.org", 7, 75, 195, 9, kLabelStyle, 0, 0},
    {kIdStatic, "IDC_TEXT3", ControlClass::Static,
     "As of this writing, there's a \"Far\" attractive force and a \"Near\" repulsive force. "
     "(1/r^4 and 1/r^6, respectively).",
     7, 31, 195, 18, kLabelStyle, 0, 0},
};

// A modal box; the modal run shows it, so the template is not marked visible.
inline constexpr DialogTemplate kAboutBox = {
    IDD_ABOUTBOX, "About Driftmote", 235, 91, "MS Sans Serif", 8,
    WindowStyle::Popup | WindowStyle::Caption | WindowStyle::SysMenu | DialogStyle::ModalFrame,
    0, kAboutBoxItems, static_cast<int>(std::size(kAboutBoxItems)),
};
