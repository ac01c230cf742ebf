// SPDX-License-Identifier: MIT
#pragma once

// File names are UTF-8 in this program on every system: its arguments (a
// manifest makes them so on Windows) and the window's names. The standard
// library's std::filesystem::path reads a narrow string in the C library's own
// code page on Windows, which spells other letters than UTF-8 does: every name
// goes through FilePath before it is looked up or opened there.

#include <filesystem>
#include <string>

// The path of the file that `name` (UTF-8) names. Elsewhere than on Windows the
// bytes are the name, as given. Bytes that are not UTF-8 name no file on Windows.
std::filesystem::path FilePath(const std::string& name);
