// SPDX-License-Identifier: MIT
// FileWriter on Windows: names are UTF-8 and go to the wide calls as whole paths
// with the \\?\ prefix, so that no length short of the system's own limit fails.
// The new file is marked for deletion until it is committed, so that the system
// removes it when the process ends in any way, and is then renamed over the old
// one through its own handle.
#include "AtomicFile.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>
#include <vector>

namespace {

std::wstring Wide(const std::string& text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(text.size());
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

bool StartsWith(const std::wstring& text, const wchar_t* start)
{
    return text.rfind(start, 0) == 0;
}

// The whole path with the prefix that lifts the length limit; a device's name
// ("NUL", "COM1") comes back as \\.\NAME, and empty on failure.
std::wstring LongPath(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return {};
    full.resize(length);
    if (StartsWith(full, L"\\\\?\\") || StartsWith(full, L"\\\\.\\"))
        return full;
    if (StartsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// What the existing name leads to once links are followed, in `target`; a
// folder or a device is refused with `refusal`.
DWORD FollowLinks(std::wstring& target, std::string& refusal)
{
    const HANDLE file = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD failure = ERROR_SUCCESS;
    if (GetFileType(file) != FILE_TYPE_DISK)
        refusal = "a device";
    else if (!GetFileInformationByHandle(file, &info))
        failure = GetLastError();
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        refusal = "a folder";
    std::vector<wchar_t> final(32768);
    const DWORD length = refusal.empty() && failure == ERROR_SUCCESS
                             ? GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                             : 0;
    if (length > 0 && length < final.size())
        target.assign(final.data(), length);
    CloseHandle(file);
    return failure;
}

// A short name that nobody can guess before it is made.
std::wstring RandomName()
{
    static std::random_device source;
    static const wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuv";
    std::wstring name = L".driftmote-";
    for (int i = 0; i < 8; ++i)
        name += kDigits[source() & 31];
    return name;
}

bool SetDeleteOnClose(HANDLE file, bool remove)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// Renames the open file over `target`, replacing it.
bool RenameOver(HANDLE file, const std::wstring& target)
{
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes)) != 0;
}

} // namespace

struct FileWriter::State {
    std::string path;    // as given, for the messages
    std::wstring target; // the name finally replaced, links followed
    std::wstring temp;   // the new file's own name in the target's folder
    HANDLE file = INVALID_HANDLE_VALUE;
    bool marked = false; // the system deletes the new file when its handle closes

    ~State()
    {
        if (file == INVALID_HANDLE_VALUE)
            return;
        if (!marked)
            marked = SetDeleteOnClose(file, true);
        CloseHandle(file);
        if (!marked)
            DeleteFileW(temp.c_str());
    }
};

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() = default;

bool FileWriter::IsOpen() const
{
    return m_state != nullptr;
}

void FileWriter::Abandon()
{
    m_state.reset();
}

bool FileWriter::Open(const std::string& path, std::string& error)
{
    Abandon();
    const std::wstring wide = Wide(path);
    if (wide.empty()) {
        error = Named(path, path.empty() ? "the name is empty" : "the name is not valid UTF-8");
        return false;
    }
    auto state = std::make_unique<State>();
    state->path = path;
    state->target = LongPath(wide);
    if (state->target.empty()) {
        error = Named(path, Reason(GetLastError()));
        return false;
    }
    // Nothing but a file on a disk is replaced, and nothing else is opened for writing.
    std::string refusal = StartsWith(state->target, L"\\\\.\\") ? "a device" : "";
    const DWORD failure = refusal.empty() ? FollowLinks(state->target, refusal) : ERROR_SUCCESS;
    if (failure != ERROR_SUCCESS) {
        error = Named(path, Reason(failure));
        return false;
    }
    if (!refusal.empty()) {
        error = Named(path, refusal + ", not a regular file: nothing was written");
        return false;
    }
    const std::size_t slash = state->target.find_last_of(L'\\');
    const std::wstring folder = state->target.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
    for (int attempt = 0; attempt < 100 && state->file == INVALID_HANDLE_VALUE; ++attempt) {
        state->temp = folder + RandomName();
        state->file = CreateFileW(state->temp.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (state->file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (state->file == INVALID_HANDLE_VALUE) {
        error = Named(path, Reason(GetLastError()));
        return false;
    }
    // Where the file system cannot mark it, a killed process leaves the new file.
    state->marked = SetDeleteOnClose(state->file, true);
    m_state = std::move(state);
    return true;
}

bool FileWriter::Write(std::string_view bytes, std::string& error)
{
    if (!m_state) {
        error = "no file is open";
        return false;
    }
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(m_state->file, data, chunk, &written, nullptr) || written == 0) {
            const DWORD code = GetLastError();
            error = Named(m_state->path, Reason(code == ERROR_SUCCESS ? ERROR_WRITE_FAULT : code));
            Abandon();
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

std::int64_t FileWriter::Seek(std::int64_t offset, int whence, std::string& error)
{
    if (!m_state) {
        error = "no file is open";
        return -1;
    }
    const DWORD method = whence == SEEK_SET ? FILE_BEGIN : whence == SEEK_CUR ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance{}, at{};
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_state->file, distance, &at, method)) {
        error = Named(m_state->path, Reason(GetLastError()));
        Abandon();
        return -1;
    }
    return at.QuadPart;
}

bool FileWriter::Commit(std::string& error)
{
    if (!m_state) {
        error = "no file is open";
        return false;
    }
    State& s = *m_state;
    DWORD failure = ERROR_SUCCESS;
    if (!FlushFileBuffers(s.file))
        failure = GetLastError();
    // Kept from here on: a file marked for deletion cannot be renamed.
    if (failure == ERROR_SUCCESS && s.marked && !SetDeleteOnClose(s.file, false))
        failure = GetLastError();
    if (failure == ERROR_SUCCESS)
        s.marked = false;
    if (failure == ERROR_SUCCESS && !RenameOver(s.file, s.target))
        failure = GetLastError();
    if (failure != ERROR_SUCCESS) {
        error = Named(s.path, Reason(failure));
        Abandon();
        return false;
    }
    CloseHandle(s.file);
    s.file = INVALID_HANDLE_VALUE;
    Abandon();
    return true;
}
