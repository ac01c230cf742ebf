// SPDX-License-Identifier: MIT
#include "FilePath.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <climits>

std::filesystem::path FilePath(const std::string& name)
{
    if (name.empty() || name.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(name.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, name.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, name.data(), size, wide.data(), length);
    return wide;
}
#else
std::filesystem::path FilePath(const std::string& name)
{
    return name;
}
#endif
