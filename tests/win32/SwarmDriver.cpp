// SPDX-License-Identifier: MIT
// Drives driftmote.exe through its messages, as a user's clicks and keys would
// arrive, and checks what it shows and saves:
//   driftmote-driver DRIFTMOTE.EXE DRIFTMOTE-SIM.EXE WORK_FOLDER
// It types into the boxes (WM_SETTEXT, which the boxes report as EN_CHANGE),
// answers the "Watch out" question both ways, clicks the preset arrows (BM_CLICK),
// pauses and steps through the window menu's commands, saves snapshots through
// the file dialog under a Greek name, continues one in driftmote-sim.exe, writes
// the canvas as the screen shows it (BitBlt from the screen) to canvas.ppm, opens a
// snapshot from the command line and ends the program with Escape and with the
// close box. Each check prints a line; the exit status is the number that failed.
//   driftmote-driver --open SNAPSHOT PARTICLES
// opens a snapshot as a double click does, through the file type's program, and
// checks that the window shows its PARTICLES and ends with 0 from the close box.
//   driftmote-driver --frame-rate DRIFTMOTE.EXE SNAPSHOT SECONDS
// prints the frames per second of the window running the snapshot for SECONDS,
// from the frame loop's log between two pauses (a figure, not a check).

#include "Resource.h"
#include "WindowMenu.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const std::string& what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    ++(ok ? g_passed : g_failed);
}

std::string Utf8(const std::wstring& wide)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

// Waits for a condition the program brings about in its own time; a fault shows
// as the condition never holding, reported after a generous while.
bool WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1500; ++i) {
        if (condition())
            return true;
        Sleep(20);
    }
    return false;
}

std::wstring Text(HWND hwnd)
{
    wchar_t text[1024] = {};
    SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(std::size(text)), reinterpret_cast<LPARAM>(text));
    return text;
}

// A top-level dialog of the process with that title, or null.
HWND FindDialog(DWORD process, const std::wstring& title)
{
    struct Search {
        DWORD process;
        const std::wstring* title;
        HWND found;
    } search{process, &title, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (owner == s->process && std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd) && Text(hwnd) == *s->title) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD process, const std::wstring& title)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindDialog(process, title)) != nullptr; });
    return found;
}

struct Program {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;

    HWND Item(int id) const { return GetDlgItem(window, id); }
    std::wstring ItemText(int id) const { return Text(Item(id)); }
    void Command(unsigned id) const { PostMessageW(window, WM_SYSCOMMAND, id, 0); }
    bool Shows(int id, const std::wstring& text) const
    {
        return WaitFor([&] { return ItemText(id) == text; });
    }
    bool Titled(const std::wstring& title) const
    {
        return WaitFor([&] { return Text(window) == title; });
    }
    // The status the program ended with, or -1 when it did not end.
    DWORD ExitCode() const
    {
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
            return static_cast<DWORD>(-1);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
};

bool Run(const std::wstring& commandLine, PROCESS_INFORMATION& process)
{
    std::wstring line = commandLine;
    STARTUPINFOW start{};
    start.cb = sizeof(start);
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process);
}

bool Start(const std::wstring& exe, const std::wstring& arguments, Program& program)
{
    if (!Run(L"\"" + exe + L"\" " + arguments, program.process))
        return false;
    WaitForInputIdle(program.process.hProcess, 30000);
    program.window = WaitForDialog(program.process.dwProcessId, L"Driftmote");
    return program.window != nullptr;
}

// Types a whole text into a box. A text that asks the question first is answered
// with `answer` (IDYES or IDNO), from here, while the box's change handler waits.
bool Type(const Program& program, int id, const std::wstring& text, int answer = 0)
{
    const HWND edit = program.Item(id);
    std::thread typing([&] { SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); });
    bool answered = true;
    if (answer) {
        const HWND box = WaitForDialog(program.process.dwProcessId, L"Watch out");
        answered = box && SendMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0) == 0;
    }
    typing.join();
    return answered;
}

// Saves a snapshot through the window menu and the file dialog, under `name`.
bool SaveSnapshot(const Program& program, const std::wstring& name)
{
    program.Command(IDM_SAVE_SNAPSHOT);
    const HWND dialog = WaitForDialog(program.process.dwProcessId, L"Save Snapshot");
    if (!dialog)
        return false;
    // The name goes into the edit inside the dialog's file name box.
    HWND box = nullptr;
    if (const HWND names = GetDlgItem(dialog, 0x47C))
        EnumChildWindows(
            names,
            [](HWND child, LPARAM found) -> BOOL {
                wchar_t cls[16] = {};
                GetClassNameW(child, cls, 16);
                if (std::wstring(cls) != L"Edit")
                    return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&box));
    if (!box)
        return false;
    // The whole path: the dialog may open in the folder it was last used in.
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"\\" + name;
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return WaitFor([&] { return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES && !IsWindow(dialog); });
}

std::string Bytes(const std::wstring& path)
{
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char block[65536];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
            bytes.append(block, n);
        std::fclose(file);
    }
    return bytes;
}

// The canvas as the screen shows it, as a binary PPM file.
bool WriteCanvas(HWND canvas, const std::wstring& path, int& width, int& height)
{
    RECT client;
    GetClientRect(canvas, &client);
    POINT corner{0, 0};
    ClientToScreen(canvas, &corner);
    width = client.right;
    height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, corner.x, corner.y, SRCCOPY);
    GdiFlush();
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; copied && i < width * height; ++i) {
        ppm += static_cast<char>((pixels[i] >> 16) & 0xFF);
        ppm += static_cast<char>((pixels[i] >> 8) & 0xFF);
        ppm += static_cast<char>(pixels[i] & 0xFF);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    FILE* file = _wfopen(path.c_str(), L"wb");
    const bool written = copied && file && std::fwrite(ppm.data(), 1, ppm.size(), file) == ppm.size();
    if (file)
        std::fclose(file);
    return written;
}

int OpenThroughFileType(const std::wstring& snapshot, const std::wstring& particles)
{
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_NOCLOSEPROCESS;
    open.lpVerb = L"open";
    open.lpFile = snapshot.c_str();
    open.nShow = SW_SHOWNORMAL;
    Program program;
    const bool started = ShellExecuteExW(&open) && open.hProcess;
    program.process.hProcess = open.hProcess;
    program.process.dwProcessId = started ? GetProcessId(open.hProcess) : 0;
    program.window = started ? WaitForDialog(program.process.dwProcessId, L"Driftmote") : nullptr;
    Check(program.window && program.Shows(IDC_CANVAS, L"Particles: " + particles + L" particles, running"),
          "the snapshot opened through its file type shows " + Utf8(particles) + " particles");
    if (program.window)
        program.Command(SysCommand::Close);
    const DWORD closed = program.window ? program.ExitCode() : static_cast<DWORD>(-1);
    Check(closed == 0, "the close box: exit code " + std::to_string(static_cast<int>(closed)));
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed;
}

// The frames the loop had run when it last started to rest, from its log; -1 for none.
long long FramesAtRest(const std::wstring& log)
{
    const std::string text = Bytes(log);
    const std::size_t at = text.rfind("rest ");
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + 5);
}

int MeasureFrameRate(const std::wstring& exe, const std::wstring& snapshot, int seconds)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring log = std::wstring(folder) + L"driftmote-frames.log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"DRIFTMOTE_FRAME_LOG", log.c_str());
    Program program;
    bool started = Start(exe, L"\"" + snapshot + L"\"", program);
    SetEnvironmentVariableW(L"DRIFTMOTE_FRAME_LOG", nullptr);
    // More than 350 particles ask first.
    if (const HWND box = started ? FindDialog(program.process.dwProcessId, L"Watch out") : nullptr)
        SendMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    started = started && WaitFor([&] { return Text(program.Item(IDC_CANVAS)).find(L"running") != std::wstring::npos; });
    const std::wstring shown = started ? Text(program.Item(IDC_CANVAS)) : std::wstring();
    long long first = -1, last = -1;
    ULONGLONG elapsed = 0;
    if (started) {
        program.Command(IDM_PAUSE);
        WaitFor([&] { return (first = FramesAtRest(log)) >= 0; });
        const ULONGLONG begin = GetTickCount64();
        program.Command(IDM_PAUSE);
        Sleep(static_cast<DWORD>(seconds) * 1000);
        program.Command(IDM_PAUSE);
        WaitFor([&] { return (last = FramesAtRest(log)) > first; });
        elapsed = GetTickCount64() - begin;
        program.Command(SysCommand::Close);
    }
    const bool ended = started && program.ExitCode() == 0;
    if (!ended || first < 0 || last <= first) {
        std::printf("frame rate: no frames measured\n");
        return 1;
    }
    std::printf("frame rate: %.0f frames/s (%lld frames in %.1f s) for %s\n", (last - first) * 1000.0 / elapsed,
                last - first, elapsed / 1000.0, Utf8(shown).c_str());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 5 && std::wstring(argv[1]) == L"--frame-rate")
        return MeasureFrameRate(argv[2], argv[3], _wtoi(argv[4]));
    if (argc == 4 && std::wstring(argv[1]) == L"--open")
        return OpenThroughFileType(argv[2], argv[3]);
    if (argc != 4) {
        std::fprintf(stderr, "usage: driftmote-driver DRIFTMOTE.EXE DRIFTMOTE-SIM.EXE WORK_FOLDER\n");
        return 100;
    }
    const std::wstring exe = argv[1];
    const std::wstring sim = argv[2];
    if (!SetCurrentDirectoryW(argv[3])) {
        std::fprintf(stderr, "driftmote-driver: no folder %s\n", Utf8(argv[3]).c_str());
        return 100;
    }

    Program program;
    Check(Start(exe, L"", program), "the program starts and shows its window");
    if (!program.window)
        return 100;

    // The texts: the title, every label and button, the start values, and the
    // canvas's name with what it shows.
    struct Shown {
        int id;
        const wchar_t* text;
    };
    const Shown start[] = {
        {IDC_NUM, L"67"}, {IDC_ATTRACTION, L".00009"}, {IDC_REPULSION, L".00002"}, {IDC_FRICTION, L".023"},
        {IDC_NUM_LABEL, L"Num"}, {IDC_ATTRACTION_LABEL, L"Attraction\n(Far)"},
        {IDC_REPULSION_LABEL, L"Repulsion\n(Near)"}, {IDC_FRICTION_LABEL, L"Friction"},
        {IDC_PLAY_NICE, L"Play\nNice"}, {IDC_CREDIT, L"Quenly\nVostrake\n200308"}, {IDC_PRESET_PREV, L"<--"},
        {IDC_PRESET_NEXT, L"-->"}, {IDC_PRESETS_LABEL, L"Fun Presets"},
        {IDC_CANVAS, L"Particles: 67 particles, running"},
    };
    for (const Shown& shown : start)
        Check(program.ItemText(shown.id) == shown.text, "control " + std::to_string(shown.id) + " reads '" +
                                                            Utf8(program.ItemText(shown.id)) + "'");
    Check(Text(program.window) == L"Driftmote", "the title is 'Driftmote'");
    Check(SendMessageW(program.Item(IDC_PLAY_NICE), BM_GETCHECK, 0, 0) == BST_CHECKED, "Play Nice starts down");
    // A screen reader names a box after the label just before it.
    for (const int box : {IDC_NUM, IDC_ATTRACTION, IDC_REPULSION, IDC_FRICTION})
        Check(GetDlgCtrlID(GetWindow(program.Item(box), GW_HWNDPREV)) == box + 1,
              "box " + std::to_string(box) + " follows its label");

    // The count after typing: 350 at once, 351 asks; No puts the count back, Yes takes it.
    Check(Type(program, IDC_NUM, L"350") && program.Shows(IDC_CANVAS, L"Particles: 350 particles, running"),
          "350 typed: 350 particles, without a question");
    Check(Type(program, IDC_NUM, L"351", IDNO) && program.Shows(IDC_NUM, L"350") &&
              program.Shows(IDC_CANVAS, L"Particles: 350 particles, running"),
          "351 typed, No: the box and the particles stay at 350");
    Check(Type(program, IDC_NUM, L"351", IDYES) && program.Shows(IDC_CANVAS, L"Particles: 351 particles, running"),
          "351 typed, Yes: 351 particles");

    // The preset arrows: back from preset 0 to preset 4, forward to 0 and 1.
    SendMessageW(program.Item(IDC_PRESET_PREV), BM_CLICK, 0, 0);
    Check(program.Shows(IDC_NUM, L"111") && program.ItemText(IDC_REPULSION) == L".0001", "<-- from preset 0: preset 4");
    SendMessageW(program.Item(IDC_PRESET_NEXT), BM_CLICK, 0, 0);
    SendMessageW(program.Item(IDC_PRESET_NEXT), BM_CLICK, 0, 0);
    Check(program.Shows(IDC_NUM, L"128") && program.ItemText(IDC_ATTRACTION) == L"-.04" &&
              program.ItemText(IDC_REPULSION) == L"-.01" && program.ItemText(IDC_FRICTION) == L".3" &&
              program.Shows(IDC_CANVAS, L"Particles: 128 particles, running"),
          "--> twice: preset 1's texts and 128 particles");
    Check(Type(program, IDC_NUM, L"400", IDYES) && program.Shows(IDC_CANVAS, L"Particles: 400 particles, running"),
          "400 typed over preset 1, Yes");

    // Pause from its shortcut, the Pause key, in a box; single frames from the
    // window menu; a snapshot before and after ten frames, and the first one
    // continued in the tool.
    PostMessageW(program.Item(IDC_NUM), WM_KEYDOWN, VK_PAUSE, 0);
    Check(program.Titled(L"Driftmote (paused)") && program.Shows(IDC_CANVAS, L"Particles: 400 particles, paused"),
          "the Pause key: the title and the canvas say paused");
    const std::wstring before = L"Ωμέγα.driftmote";
    const std::wstring after = L"Ωμέγα 10.driftmote";
    Check(SaveSnapshot(program, before), "a snapshot saved through the file dialog under a Greek name");
    for (int i = 0; i < 10; ++i)
        program.Command(IDM_STEP_FRAME);
    Check(SaveSnapshot(program, after), "a second snapshot ten single frames later");
    PROCESS_INFORMATION tool{};
    DWORD toolStatus = 1;
    if (Run(L"\"" + sim + L"\" --load \"" + before + L"\" --frames 10 --print none --save continued.driftmote", tool)) {
        WaitForSingleObject(tool.hProcess, 60000);
        GetExitCodeProcess(tool.hProcess, &toolStatus);
    }
    const std::string saved = Bytes(after);
    Check(toolStatus == 0 && !saved.empty() && Bytes(L"continued.driftmote") == saved,
          "the first snapshot continued for ten frames in driftmote-sim.exe equals the window's second, bit for bit");

    int width = 0, height = 0;
    const bool written = WriteCanvas(program.Item(IDC_CANVAS), L"canvas.ppm", width, height);
    Check(written, "the canvas read from the screen: " + std::to_string(width) + "x" + std::to_string(height) +
                       " in canvas.ppm");

    // Escape ends the program with 0.
    PostMessageW(program.Item(IDC_NUM), WM_KEYDOWN, VK_ESCAPE, 0);
    const DWORD escaped = program.ExitCode();
    Check(escaped == 0, "Escape: exit code " + std::to_string(static_cast<int>(escaped)));

    // A snapshot named on the command line opens (after the question, as it holds
    // more than 350 particles); the close box ends the program with 0.
    Program second;
    bool started = Start(exe, L"\"" + after + L"\"", second);
    if (const HWND box = started ? WaitForDialog(second.process.dwProcessId, L"Watch out") : nullptr)
        SendMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    else
        started = false;
    Check(started && second.Shows(IDC_CANVAS, L"Particles: 400 particles, running") &&
              second.ItemText(IDC_ATTRACTION) == L"-.04",
          "a snapshot on the command line: its 400 particles and its texts");
    if (started)
        second.Command(SysCommand::Close);
    const DWORD closed = started ? second.ExitCode() : static_cast<DWORD>(-1);
    Check(closed == 0, "the close box: exit code " + std::to_string(static_cast<int>(closed)));

    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed;
}
