// SPDX-License-Identifier: MIT
// SaveFileAtomically on Windows: names are UTF-8 and go to the wide calls, the
// new file is flushed to disk and then moved over the old one, which a plain
// rename cannot do there.
#include "AtomicFile.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(const wchar_t* text, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

// The system's text for an error code, in UTF-8, without the line break and
// the full stop it ends with.
std::string Reason(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? Narrow(text, static_cast<int>(length)) : std::string();
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                               reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(code) : reason;
}

std::string Named(const std::string& path, const std::string& message)
{
    return path + ": " + message;
}

} // namespace

bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string& error)
{
    const std::wstring target = Wide(path);
    if (target.empty()) {
        error = Named(path, path.empty() ? "the name is empty" : "the name is not valid UTF-8");
        return false;
    }
    const std::wstring temp = target + L".part-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = Named(path, Reason(GetLastError()));
        return false;
    }
    DWORD failure = ERROR_SUCCESS;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0 && failure == ERROR_SUCCESS) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr))
            failure = GetLastError();
        data += written;
        left -= written;
    }
    if (failure == ERROR_SUCCESS && !FlushFileBuffers(file))
        failure = GetLastError();
    if (!CloseHandle(file) && failure == ERROR_SUCCESS)
        failure = GetLastError();
    if (failure == ERROR_SUCCESS &&
        !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = GetLastError();
    if (failure != ERROR_SUCCESS) {
        DeleteFileW(temp.c_str());
        error = Named(path, Reason(failure));
        return false;
    }
    return true;
}
