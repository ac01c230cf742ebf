// SPDX-License-Identifier: MIT
#include "ResourceScript.h"

#include "DialogTemplate.h"
#include "Resource.h"
#include "Version.h"
#include "VersionBlock.h"
#include "WindowMenu.h"

#include <cstdio>
#include <sstream>

namespace {

// Every control of a template is a visible child of the dialog.
constexpr std::uint32_t kChild = 0x40000000;
constexpr std::uint32_t kVisibleChild = kChild | WindowStyle::Visible;

// The system's virtual keys that the window menu's shortcuts use.
constexpr unsigned kKeyPause = 0x13;
constexpr unsigned kKeyPeriod = 0xBE;

std::string Hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

const char* ClassName(ControlClass cls)
{
    switch (cls) {
    case ControlClass::Static:
        return "Static";
    case ControlClass::Edit:
        return "Edit";
    case ControlClass::Button:
        return "Button";
    }
    return "Static";
}

void WriteControls(std::ostream& out, const DialogTemplate& dialog)
{
    out << "BEGIN\n";
    for (int i = 0; i < dialog.itemCount; ++i) {
        const DialogItem& item = dialog.items[i];
        const std::string place = std::to_string(item.x) + ", " + std::to_string(item.y) + ", " +
                                  std::to_string(item.cx) + ", " + std::to_string(item.cy);
        // An icon static names its icon by number.
        const std::string title = item.resource != 0 ? std::to_string(item.resource)
                                                     : ScriptString(item.caption ? item.caption : "");
        out << "  CONTROL " << title << ", " << item.id << ", \""
            << ClassName(item.cls) << "\", " << Hex(item.style | kVisibleChild) << ", " << place;
        if (item.exStyle != 0)
            out << ", " << Hex(item.exStyle);
        out << "\n";
    }
    out << "END\n\n";
}

// The main dialog is an extended template (its font with weight, italic and the
// default character set); the About box a standard one.
void WriteDialog(std::ostream& out, const DialogTemplate& dialog, bool extended)
{
    out << dialog.id << (extended ? " DIALOGEX" : " DIALOG") << " 0, 0, " << dialog.cx << ", " << dialog.cy << "\n"
        << "STYLE " << Hex(dialog.style) << "\n";
    if (dialog.exStyle != 0)
        out << "EXSTYLE " << Hex(dialog.exStyle) << "\n";
    out << "CAPTION " << ScriptString(dialog.caption) << "\n"
        << "FONT " << dialog.fontPointSize << ", " << ScriptString(dialog.fontFace);
    constexpr int kDefaultCharset = 1;
    if (extended)
        out << ", 0, 0, " << kDefaultCharset;
    out << "\n";
    WriteControls(out, dialog);
}

void WriteAccelerators(std::ostream& out)
{
    out << IDR_MAINFRAME << " ACCELERATORS\nBEGIN\n";
    for (const WindowMenuItem& item : kWindowMenu) {
        if (!item.shortcut)
            continue;
        const Accelerator key = AcceleratorFor(item.shortcut);
        out << "  " << Hex(key.key) << ", " << item.id << ", VIRTKEY";
        if (key.control)
            out << ", CONTROL";
        if (key.shift)
            out << ", SHIFT";
        if (key.alt)
            out << ", ALT";
        out << "\n";
    }
    out << "END\n\n";
}

// "1, 0, 0, 1" as the numbers of a version statement: "1,0,0,1".
std::string VersionNumbers(std::string_view commas)
{
    std::string numbers;
    for (char c : commas)
        if (c != ' ')
            numbers += c;
    return numbers;
}

void WriteVersion(std::ostream& out)
{
    constexpr std::uint32_t kFlagsMask = 0x3F;
    constexpr std::uint32_t kOsWindows32 = 0x4;
    constexpr std::uint32_t kTypeApplication = 0x1;
    const std::string numbers = VersionNumbers(DRIFTMOTE_VERSION_COMMAS);
    char block[16];
    std::snprintf(block, sizeof block, "%04X%04X", kVersionLanguage, kVersionCodePage);
    out << "1 VERSIONINFO\n"
        << "FILEVERSION " << numbers << "\n"
        << "PRODUCTVERSION " << numbers << "\n"
        << "FILEFLAGSMASK " << Hex(kFlagsMask) << "\n"
        << "FILEFLAGS 0x0\n"
        << "FILEOS " << Hex(kOsWindows32) << "\n"
        << "FILETYPE " << Hex(kTypeApplication) << "\n"
        << "FILESUBTYPE 0x0\n"
        << "BEGIN\n"
        << "  BLOCK \"StringFileInfo\"\n  BEGIN\n"
        << "    BLOCK \"" << block << "\"\n    BEGIN\n";
    for (const VersionEntry& entry : kVersionStrings)
        out << "      VALUE " << ScriptString(entry.key) << ", " << ScriptString(entry.value) << "\n";
    out << "    END\n  END\n"
        << "  BLOCK \"VarFileInfo\"\n  BEGIN\n"
        << "    VALUE \"Translation\", " << Hex(kVersionLanguage) << ", " << Hex(kVersionCodePage) << "\n"
        << "  END\n"
        << "END\n";
}

} // namespace

Accelerator AcceleratorFor(std::string_view shortcut)
{
    Accelerator result;
    std::string_view rest = shortcut;
    for (std::size_t plus = rest.find('+'); plus != std::string_view::npos && plus + 1 < rest.size();
         plus = rest.find('+')) {
        const std::string_view modifier = rest.substr(0, plus);
        if (modifier == "Ctrl")
            result.control = true;
        else if (modifier == "Shift")
            result.shift = true;
        else if (modifier == "Alt")
            result.alt = true;
        else
            throw ShortcutError("the shortcut '" + std::string(shortcut) + "' has an unknown modifier");
        rest.remove_prefix(plus + 1);
    }
    if (rest.size() == 1 && ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= '0' && rest[0] <= '9')))
        result.key = static_cast<unsigned char>(rest[0]);
    else if (rest == ".")
        result.key = kKeyPeriod;
    else if (rest == "Pause")
        result.key = kKeyPause;
    else
        throw ShortcutError("the shortcut '" + std::string(shortcut) + "' has no key on Windows");
    return result;
}

std::string ScriptString(std::string_view text)
{
    std::string literal = "\"";
    for (char c : text) {
        if (c == '"')
            literal += "\"\"";
        else if (c == '\\')
            literal += "\\\\";
        else if (c == '\n')
            literal += "\\n";
        else
            literal += c;
    }
    return literal + "\"";
}

std::string ResourceScript(const std::string& iconPath, const std::string& manifestPath)
{
    std::ostringstream out;
    out << "// Written by driftmote-resgen from res/ and uirules/WindowMenu.h: edit those, not this.\n\n"
        << "1 24 " << ScriptString(manifestPath) << "\n\n"
        << IDR_MAINFRAME << " ICON " << ScriptString(iconPath) << "\n\n";
    WriteDialog(out, kAboutBox, false);
    WriteDialog(out, kSwarmDialog, true);
    out << "STRINGTABLE\nBEGIN\n  " << IDS_ABOUTBOX << ", " << ScriptString(kAboutMenuText) << "\nEND\n\n";
    WriteAccelerators(out);
    WriteVersion(out);
    return out.str();
}
