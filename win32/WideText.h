// SPDX-License-Identifier: MIT
#pragma once

// The edge between the system's wide texts and the program's UTF-8: every text
// that the session or the files take is UTF-8, every text a window shows is wide.

#include <string>
#include <string_view>

std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);
