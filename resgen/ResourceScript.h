// SPDX-License-Identifier: MIT
#pragma once

// The Windows program's resource script, written from the template data: the two
// dialogs, the icon, the string table, the window menu's shortcuts as an
// accelerator table, the version block and the manifest.

#include <stdexcept>
#include <string>
#include <string_view>

// A shortcut of the window menu that has no key on Windows (a fault in the table).
struct ShortcutError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One line of an accelerator table: the virtual key and the modifiers, from a
// shortcut in the toolkit's portable text ("Ctrl+Shift+S", "Ctrl+.", "Pause").
struct Accelerator {
    unsigned key = 0; // a virtual-key code
    bool control = false;
    bool shift = false;
    bool alt = false;
};
Accelerator AcceleratorFor(std::string_view shortcut);

// A text as a resource-script string literal, quotes included.
std::string ScriptString(std::string_view text);

// The whole script. The icon and the manifest are named by the paths given,
// which the resource compiler reads.
std::string ResourceScript(const std::string& iconPath, const std::string& manifestPath);
