// SPDX-License-Identifier: MIT
#include "Console.h"

#include "Progress.h"
#include "SimCli.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <io.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// Whether stderr was found to be a console that shows the progress line.
volatile bool g_errIsConsole = false;

// The console calls this on a thread of its own. Ctrl+C and Ctrl+Break ask the
// run to stop as SIGINT does elsewhere; closing the window or logging off is
// left to the system, which ends the program.
BOOL WINAPI OnConsoleStop(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    g_simCliStop = SIGINT;
    if (g_simCliBusy != 0) {
        if (g_errIsConsole) {
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_ERROR_HANDLE), kEraseLine,
                      static_cast<DWORD>(std::char_traits<char>::length(kEraseLine)), &written, nullptr);
        }
        std::_Exit(128 + SIGINT);
    }
    return TRUE;
}

} // namespace

void PrepareConsole()
{
    // In text mode the C library would write every LF as CR LF.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);
}

bool StderrIsTerminal()
{
    // A console, not a file or a pipe (nor NUL, which the C library calls a
    // terminal too), which draws the escape sequence that erases a line.
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (err == INVALID_HANDLE_VALUE || err == nullptr || !GetConsoleMode(err, &mode))
        return false;
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 &&
        !SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return false;
    g_errIsConsole = true;
    return true;
}
