// SPDX-License-Identifier: MIT
// The main dialog's file commands: the picture, saving and opening snapshots, and
// snapshot files dropped on the window. Names are wide at the system's calls and
// UTF-8 everywhere else.

#include "CSwarmDlg.h"

#include "PngImage.h"
#include "WideText.h"
#include "WindowTexts.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace {

// "Driftmote snapshots (*.driftmote)" as the file dialog's pairs of a name and a
// pattern, each ended by a null character, the list by another.
std::wstring DialogFilter(const char* filter)
{
    const std::wstring name = WideFromUtf8(filter);
    const std::size_t open = name.rfind(L'(');
    const std::size_t close = name.rfind(L')');
    std::wstring pairs = name;
    pairs += L'\0';
    if (open != std::wstring::npos && close != std::wstring::npos && close > open)
        pairs += name.substr(open + 1, close - open - 1);
    pairs += L'\0';
    return pairs;
}

} // namespace

std::string CSwarmDlg::AskFileName(bool save, const char* title, const char* filter, const char* suffix)
{
    // Room for long names, as the system allows them.
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring filters = DialogFilter(filter);
    const std::wstring caption = WideFromUtf8(title);
    const std::wstring extension = suffix ? WideFromUtf8(suffix) : std::wstring();
    OPENFILENAMEW ask{};
    ask.lStructSize = sizeof(ask);
    ask.hwndOwner = m_hWnd;
    ask.lpstrFilter = filters.c_str();
    ask.lpstrFile = name.data();
    ask.nMaxFile = static_cast<DWORD>(name.size());
    ask.lpstrTitle = caption.c_str();
    ask.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ask.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&ask) : GetOpenFileNameW(&ask);
    return chosen ? Utf8FromWide(name.data()) : std::string();
}

void CSwarmDlg::OnSavePicture()
{
    // The picture on the screen now, whatever frames the dialog lets through meanwhile.
    std::vector<std::uint32_t> picture;
    if (m_backBuffer.Built())
        picture.assign(m_backBuffer.Pixels(),
                       m_backBuffer.Pixels() + static_cast<std::size_t>(m_backBuffer.Width()) * m_backBuffer.Height());
    const int width = m_backBuffer.Width();
    const int height = m_backBuffer.Height();
    const std::string path = AskFileName(true, "Save Picture", kPictureFilter, kPictureSuffix);
    if (path.empty())
        return;
    std::string error;
    const PixelBuffer pixels{width, height, width, picture.data()};
    if (picture.empty())
        ShowFileError(path + ": there is no picture to save");
    else if (!SavePng(pixels, path, error))
        ShowFileError(MessageNamingFile(path, error));
}

void CSwarmDlg::OnSaveSnapshot()
{
    const std::string path = AskFileName(true, "Save Snapshot", kSnapshotFilter, kSnapshotSuffix);
    std::string error;
    if (!path.empty() && m_session.SaveSnapshotFile(path, error) != SessionResult::Done)
        ShowFileError(MessageNamingFile(path, error));
}

void CSwarmDlg::OnOpenSnapshot()
{
    const std::string path = AskFileName(false, "Open Snapshot", kSnapshotFilter, nullptr);
    if (!path.empty())
        OpenSnapshot(path);
}

bool CSwarmDlg::OpenSnapshot(const std::string& path)
{
    std::string error;
    const SessionResult result = m_session.OpenSnapshotFile(path, error);
    if (result == SessionResult::Done || result == SessionResult::Declined)
        ShowSession();
    if (result == SessionResult::BadFile || result == SessionResult::NoMemory)
        ShowFileError(MessageNamingFile(path, error));
    CloseIfRequested();
    return result == SessionResult::Done;
}

void CSwarmDlg::ShowFileError(const std::string& message)
{
    ShowMessage(message, kMessageCaption, MB_OK | MB_ICONWARNING);
}

void CSwarmDlg::OnDropFiles(HWND, HDROP drop)
{
    // The first dropped file whose name ends in .driftmote opens.
    std::string path;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && path.empty(); ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        const std::string utf8 = Utf8FromWide(name);
        if (IsSnapshotName(utf8))
            path = utf8;
    }
    DragFinish(drop);
    if (!path.empty())
        OpenSnapshot(path);
}
